#include "client_options.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "clientlink/client_link.h"

namespace clienttool {

namespace {

// An hour: longer is no hang but a client that is gone.
constexpr long long kLongestStallMs = 3600000;

bool ParseWhole(const char* text, long long* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoll(text, &end, 10);
  return errno == 0 && *end == '\0';
}

bool ParseSeconds(const char* text, double* value) {
  if (text == nullptr || *text == '\0') return false;
  char* end = nullptr;
  *value = std::strtod(text, &end);
  return *end == '\0' && std::isfinite(*value) && *value >= 0.0;
}

}  // namespace

void PrintClientUsage() {
  std::fprintf(
      stderr,
      "usage: kestrix-client [--send club C | --send status | --send close]... "
      "[--count N] [--timeout S] [--stall-on-shot MS [--stall-shot K]]\n"
      "  Owns the endpoint VarnokGolf_Client and prints one JSON line per message.\n"
      "  --send   sends a code to the sensor (VarnokGolfV) after the endpoint is up\n"
      "  --count  exits after N messages (0: right after the sends)\n"
      "  --timeout exits after S seconds\n"
      "  --stall-on-shot holds back the answer to a shot result (7101) for MS\n"
      "           milliseconds, as a golf client that hangs; the message is printed first\n"
      "  --stall-shot which shot result is held back (1, the first, unless said)\n"
      "  With --send and neither --count nor --timeout it exits after sending.\n"
      "  A run that prints nothing (--send alone, --count 0) does not own the endpoint,\n"
      "  so it works beside a listening client, which hears the sensor's answers.\n");
}

bool ParseClientOptions(int argc, const char* const* argv, ClientOptions* options) {
  *options = ClientOptions{};
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      options->help = true;
    } else if (std::strcmp(arg, "--send") == 0 && next != nullptr) {
      ++i;
      if (std::strcmp(next, "club") == 0) {
        long long club = 0;
        if (i + 1 >= argc || !ParseWhole(argv[i + 1], &club)) {
          std::fprintf(stderr, "kestrix-client: --send club needs a whole number\n");
          return false;
        }
        ++i;
        options->sends.push_back({clientlink::CODE_CLUB_SELECTION, club});
      } else if (std::strcmp(next, "status") == 0) {
        options->sends.push_back({clientlink::CODE_STATUS_QUERY, 0});
      } else if (std::strcmp(next, "close") == 0) {
        options->sends.push_back({clientlink::CODE_CLOSE, 0});
      } else {
        std::fprintf(stderr, "kestrix-client: unknown --send %s\n", next);
        return false;
      }
    } else if (std::strcmp(arg, "--count") == 0 && next != nullptr) {
      long long count = 0;
      if (!ParseWhole(next, &count) || count < 0) {
        std::fprintf(stderr, "kestrix-client: --count needs a number of 0 or more\n");
        return false;
      }
      options->count = static_cast<long>(count);
      ++i;
    } else if (std::strcmp(arg, "--timeout") == 0 && next != nullptr) {
      if (!ParseSeconds(next, &options->timeoutSeconds)) {
        std::fprintf(stderr, "kestrix-client: --timeout needs seconds of 0 or more\n");
        return false;
      }
      ++i;
    } else if (std::strcmp(arg, "--stall-on-shot") == 0 && next != nullptr) {
      long long ms = 0;
      if (!ParseWhole(next, &ms) || ms < 0 || ms > kLongestStallMs) {
        std::fprintf(stderr, "kestrix-client: --stall-on-shot needs milliseconds from 0 to %lld\n",
                     kLongestStallMs);
        return false;
      }
      options->stallMs = static_cast<long>(ms);
      ++i;
    } else if (std::strcmp(arg, "--stall-shot") == 0 && next != nullptr) {
      long long shot = 0;
      if (!ParseWhole(next, &shot) || shot < 1 || shot > LONG_MAX) {
        std::fprintf(stderr, "kestrix-client: --stall-shot needs a shot number of 1 or more\n");
        return false;
      }
      options->stallShot = static_cast<long>(shot);
      ++i;
    } else {
      std::fprintf(stderr, "kestrix-client: unknown or incomplete option %s\n", arg);
      return false;
    }
  }
  // Sending alone is a one-shot command, not a session.
  if (!options->sends.empty() && options->count < 0 && options->timeoutSeconds < 0.0) {
    options->count = 0;
  }
  return true;
}

}  // namespace clienttool
