#include "bridge_options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace openconnect {

namespace {

// A day: a longer silence is no heartbeat.
constexpr double kLongestHeartbeat = 86400.0;

bool ParsePort(const char* text, int* port) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(text, &end, 10);
  if (errno != 0 || *end != '\0' || value < 1 || value > 65535) return false;
  *port = static_cast<int>(value);
  return true;
}

bool ParseSeconds(const char* text, double* seconds) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (*end != '\0' || !std::isfinite(value) || value < 0.0 || value > kLongestHeartbeat) {
    return false;
  }
  *seconds = value;
  return true;
}

}  // namespace

void PrintBridgeUsage() {
  std::fprintf(stderr,
               "usage: kestrix-openconnect [--host H] [--port P] [--heartbeat S] "
               "[--history FILE]\n"
               "  The sensor's golf client (endpoint VarnokGolf_Client): forwards every shot\n"
               "  to golf-simulator software over the Open Connect API v1 and the\n"
               "  simulator's club choice back to the sensor.\n"
               "  --host       the simulator's address (127.0.0.1)\n"
               "  --port       its Open Connect port (921)\n"
               "  --heartbeat  a status message after S seconds of silence (5; 0: none)\n"
               "  --history    every shot, what was sent and what was answered, one JSON\n"
               "               line each, appended (shots.jsonl)\n");
}

bool ParseBridgeOptions(int argc, const char* const* argv, BridgeOptions* options) {
  *options = BridgeOptions{};
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options->help = true;
      continue;
    }
    if (next == nullptr) {
      std::fprintf(stderr, "kestrix-openconnect: unknown or incomplete option %s\n", arg);
      return false;
    }
    ++i;
    if (std::strcmp(arg, "--host") == 0 && *next != '\0') {
      options->host = next;
    } else if (std::strcmp(arg, "--port") == 0) {
      if (!ParsePort(next, &options->port)) {
        std::fprintf(stderr, "kestrix-openconnect: --port needs a port from 1 to 65535\n");
        return false;
      }
    } else if (std::strcmp(arg, "--heartbeat") == 0) {
      if (!ParseSeconds(next, &options->heartbeatSeconds)) {
        std::fprintf(stderr, "kestrix-openconnect: --heartbeat needs seconds from 0 to %.0f\n",
                     kLongestHeartbeat);
        return false;
      }
    } else if (std::strcmp(arg, "--history") == 0 && *next != '\0') {
      options->history = next;
    } else {
      std::fprintf(stderr, "kestrix-openconnect: unknown or incomplete option %s\n", arg);
      return false;
    }
  }
  return true;
}

}  // namespace openconnect
