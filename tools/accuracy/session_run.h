// One session on the real programs, as the end-to-end tests run them: the golf client listens
// first, then the sensor plays the script on the simulated cameras, each in the run directory
// with a private set of endpoints and shared block. Every client line is timed against the truth
// lines logged so far, which is what the join needs.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "club_selection.h"
#include "script_outline.h"
#include "shot_join.h"
#include "truth_lines.h"

namespace accuracy {

// Where a running session stands, for a watcher of the sensor process.
struct SessionProgress {
  pid_t sensorPid = -1;
  size_t results = 0;    // shot results (7101) the client has printed so far
  bool closing = false;  // the close has been asked for: what follows is the shutdown
};

struct SessionSetup {
  std::filesystem::path runDir;  // absolute
  std::string scriptName;        // in runDir
  std::string sensor;            // program paths: kestrix-headless or another sensor program
  std::string client;
  ScriptOutline outline;                // of the script as played
  std::vector<ClubChange> clubChanges;  // ClubChanges(outline.strikes) as a rule
  // Called on every turn of the run's loop while the sensor runs (about ten times a second).
  std::function<void(const SessionProgress&)> onProgress;
};

struct SessionRecord {
  bool started = false;  // false: the programs could not be started; error says why
  bool interrupted = false;
  std::string error;
  std::vector<Arrival> arrivals;
  std::vector<TruthEvent> truth;
  int sensorStatus = -1;  // exit code, or 128 + signal
  // Wall times (platform::MonotonicSeconds()): the sensor started, the last shot result read.
  double sensorStartedAt = 0;
  double lastResultAt = 0;
};

// Paced cameras play to the script's end and a little more; free-running ones are closed through
// the client once the session has shown everything. SIGINT and SIGTERM end the run early.
SessionRecord RunSession(const SessionSetup& setup);

}  // namespace accuracy
