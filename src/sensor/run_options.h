// What both sensor programs take on their command line, and how they hear the signals that end
// them.
#pragma once

#include <csignal>

class SensorCore;

struct RunOptions {
  double seconds = -1.0;  // the run ends after this long; negative: no end
  bool cameraClock = false;
};

// "--seconds S" and "--camera-clock"; false for anything else or a bad number.
bool ParseRunOptions(int argc, char** argv, RunOptions& options);

// Blocks SIGINT and SIGTERM in this thread and every thread started after, and starts a thread
// that turns either into the core's close request. Call before any other thread starts.
void CloseOnSignals();
// The core the signals close; null while there is none. Once it returns with null, no signal
// reaches the earlier core any more, so the core may go.
void SetSignalledCore(SensorCore* core);
