#include "sensor/run_options.h"

#include <pthread.h>

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "sensor/sensor_core.h"

namespace {

// The close request runs under this, so the core is never let go (and destroyed) while a signal
// is still being told to it.
std::mutex g_coreMutex;
SensorCore* g_signalledCore = nullptr;
// A signal that came before there was a core: the core is closed as soon as it is set.
bool g_closeBeforeCore = false;

// Signals only ask for the shutdown; the control thread does the rest.
void WaitForSignals(sigset_t signals) {
  int received = 0;
  while (sigwait(&signals, &received) == 0) {
    {
      std::lock_guard lock(g_coreMutex);
      if (g_signalledCore != nullptr) {
        g_signalledCore->RequestClose();
      } else {
        g_closeBeforeCore = true;
      }
    }
    if (received == SIGINT || received == SIGTERM) return;
  }
}

}  // namespace

bool ParseRunOptions(int argc, char** argv, RunOptions& options) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--camera-clock") == 0) {
      options.cameraClock = true;
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      options.seconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(options.seconds >= 0)) return false;
    } else {
      return false;
    }
  }
  return true;
}

void CloseOnSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);
  std::thread(WaitForSignals, signals).detach();
}

void SetSignalledCore(SensorCore* core) {
  std::lock_guard lock(g_coreMutex);
  g_signalledCore = core;
  if (core != nullptr && g_closeBeforeCore) core->RequestClose();
}
