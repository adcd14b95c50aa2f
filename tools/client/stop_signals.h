// SIGINT and SIGTERM ask a golf client to stop: its waits return and its loop ends cleanly, so
// whatever it holds (a history, a transcript) is written out. SIGPIPE is ignored: a peer that
// went away is an error of the write, not the end of the program.
#pragma once

namespace clienttool {

void InstallStopSignals();
bool StopRequested();

}  // namespace clienttool
