// Command line of kestrix-openconnect.
#pragma once

#include <string>

namespace openconnect {

struct BridgeOptions {
  std::string host = "127.0.0.1";
  int port = 921;
  double heartbeatSeconds = 5.0;  // of silence towards the simulator; 0 = never
  std::string history = "shots.jsonl";
  bool help = false;
};

// False with a line on standard error for anything it does not understand.
bool ParseBridgeOptions(int argc, const char* const* argv, BridgeOptions* options);

void PrintBridgeUsage();

}  // namespace openconnect
