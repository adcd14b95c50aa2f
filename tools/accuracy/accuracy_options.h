// Command line of kestrix-accuracy.
#pragma once

#include <cstdint>
#include <string>

namespace accuracy {

struct AccuracyOptions {
  std::string script;  // path, or a bare name also looked up in the demo folder
  std::string keep;    // run directory to fill and keep; empty: a scratch directory
  bool freeRun = false;
  bool json = false;
  std::string demo;    // empty: the built-in default
  std::string bin;     // directory holding kestrix-headless and kestrix-client; empty: the build's
  std::string sensor;  // the sensor program to run instead of kestrix-headless; empty: that one
  std::string dataBi;  // empty: the build's flight table
  bool help = false;
  // The soak: a generated session of soakShots shots per set of hands, free-running.
  int soakShots = 0;  // 0: no soak
  uint64_t seed = 1;
  std::string hands = "both";  // both, right or left
  int warmUpShots = 50;
};

// False with the reason in *error for anything it does not understand, a missing --script
// (without --soak), a --script with --soak or soak options without it.
bool ParseAccuracyOptions(int argc, const char* const* argv, AccuracyOptions* options,
                          std::string* error);

const char* AccuracyUsage();

}  // namespace accuracy
