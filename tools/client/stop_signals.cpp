#include "stop_signals.h"

#include <signal.h>

namespace clienttool {

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnSignal(int) {
  stopRequested = 1;
}

}  // namespace

void InstallStopSignals() {
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no restart: the wait returns so the loop sees the request
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
}

bool StopRequested() {
  return stopRequested != 0;
}

}  // namespace clienttool
