// One session on the real programs, as the end-to-end tests run them: the golf client listens
// first, then the sensor plays the script on the simulated cameras, each in the run directory
// with a private set of endpoints and shared block. Every client line is timed against the truth
// lines logged so far, which is what the join needs.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "script_outline.h"
#include "shot_join.h"
#include "truth_lines.h"

namespace accuracy {

struct SessionSetup {
  std::filesystem::path runDir;  // absolute
  std::string scriptName;        // in runDir
  std::string headless;          // program paths
  std::string client;
  ScriptOutline outline;  // of the script as played
};

struct SessionRecord {
  bool started = false;  // false: the programs could not be started; error says why
  bool interrupted = false;
  std::string error;
  std::vector<Arrival> arrivals;
  std::vector<TruthEvent> truth;
  int sensorStatus = -1;  // exit code, or 128 + signal
};

// Paced cameras play to the script's end and a little more; free-running ones are closed through
// the client once the session has shown everything. SIGINT and SIGTERM end the run early.
SessionRecord RunSession(const SessionSetup& setup);

}  // namespace accuracy
