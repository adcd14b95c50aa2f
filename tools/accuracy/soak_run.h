// The soak: a long generated session per hand on the real programs, watched from outside.
#pragma once

#include <filesystem>
#include <string>

#include "accuracy_options.h"

namespace accuracy {

struct ToolPaths {
  std::filesystem::path demo;    // the installation to copy, absolute
  std::filesystem::path dataBi;  // the flight table, absolute
  std::string sensor;            // kestrix-headless or the program given with --sensor
  std::string client;
};

// Plays options.soakShots shots over options.hands and prints the soak's figures; the exit status
// of kestrix-accuracy.
int RunSoak(const AccuracyOptions& options, const ToolPaths& paths);

}  // namespace accuracy
