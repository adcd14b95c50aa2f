// Command line of kestrix-client.
#pragma once

#include <cstdint>
#include <vector>

namespace clienttool {

struct OutgoingCode {
  uint32_t code = 0;
  int64_t lParam = 0;
};

struct ClientOptions {
  std::vector<OutgoingCode> sends;  // in command-line order
  long count = -1;                  // messages to print before exiting; -1 = no limit
  double timeoutSeconds = -1.0;     // -1 = no limit
  // A golf client that hangs: the answer to shot result number stallShot (1 = the first) is held
  // back for stallMs milliseconds. 0 = never.
  long stallMs = 0;
  long stallShot = 1;
  bool help = false;
};

// False with a message on standard error for anything it does not understand.
bool ParseClientOptions(int argc, const char* const* argv, ClientOptions* options);

void PrintClientUsage();

}  // namespace clienttool
