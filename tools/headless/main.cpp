// kestrix-headless: the sensor without its window. Runs in the current directory, prints every
// record that reaches a camera's result callback as one JSON line on standard output, and ends on
// SIGINT or SIGTERM, on the client's close code, or after --seconds.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "platform/debug_output.h"
#include "platform/milli_clock.h"
#include "sensor/sensor_core.h"
#include "trajectory/trajectory.h"

namespace {

constexpr int64_t kReconnectPeriodMs = 3000;

void PrintUsage() {
  std::fprintf(stderr,
               "usage: kestrix-headless [--seconds S] [--camera-clock]\n"
               "  --seconds S      ends the sensor after S seconds\n"
               "  --camera-clock   takes the camera component's own time for the sensor's clock,\n"
               "                   for simulated cameras that free-run\n");
}

// Free-running simulated cameras keep a pace of their own; frame rates measured on the
// machine's clock would tell how fast the simulation runs, not the cameras' rate.
void UseCameraClock() {
  void* symbol = dlsym(RTLD_DEFAULT, "VarnokSimClockMs");
  if (symbol == nullptr) {
    platform::OutputDebugStringA(
        "-> the camera component keeps no time of its own; the sensor keeps the machine's "
        "clock <-\n");
    return;
  }
  platform::SetMilliClockSource(reinterpret_cast<platform::MilliClockSource>(symbol));
}

// A number for JSON, which has no NaN or infinity.
const char* JsonNumber(char (&text)[32], double value, const char* format) {
  if (std::isfinite(value)) {
    std::snprintf(text, sizeof text, format, value);
  } else {
    std::snprintf(text, sizeof text, "null");
  }
  return text;
}

// Runs on a capture thread: no allocation, and one write per line so the two cameras' lines
// never mix.
void PrintRecord(int32_t sensorType, const ShotResultRecord& r, void*) {
  char line[512];
  const char* camera = sensorType == SENSOR_MAIN ? "main" : "side";
  int length;
  if (r.m_HAngle == kNotMeasured) {
    length =
        std::snprintf(line, sizeof line, "{\"camera\":\"%s\",\"kind\":\"club\",\"clubType\":%d}\n",
                      camera, static_cast<int>(r.m_VAngle));
  } else {
    char h[32], v[32], speed[32], derived[32], back[32], side[32];
    length = std::snprintf(
        line, sizeof line,
        "{\"camera\":\"%s\",\"kind\":\"shot\",\"clubCode\":%d,\"clubType\":%d,\"pathClass\":%d,"
        "\"hAngle\":%s,\"vAngle\":%s,\"speed\":%s,\"derivedSpeed\":%s,\"backSpin\":%s,"
        "\"sideSpin\":%s}\n",
        camera, r.m_clubCode, r.m_clubType, r.m_pathClass, JsonNumber(h, r.m_HAngle, "%.2f"),
        JsonNumber(v, r.m_VAngle, "%.2f"), JsonNumber(speed, r.m_speed, "%.2f"),
        JsonNumber(derived, r.m_derivedSpeed, "%.2f"), JsonNumber(back, r.m_backSpin, "%.1f"),
        JsonNumber(side, r.m_sideSpin, "%.1f"));
  }
  if (length > 0) {
    const auto bytes = std::min(static_cast<size_t>(length), sizeof line - 1);
    [[maybe_unused]] const ssize_t written = ::write(STDOUT_FILENO, line, bytes);
  }
}

std::atomic<SensorCore*> g_runningCore{nullptr};

// Signals only ask for the shutdown; a thread of ours does the rest.
void WaitForSignals(sigset_t signals) {
  int received = 0;
  while (sigwait(&signals, &received) == 0) {
    if (SensorCore* core = g_runningCore.load()) core->RequestClose();
    if (received == SIGINT || received == SIGTERM) return;
  }
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = -1.0;
  bool cameraClock = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--camera-clock") == 0) {
      cameraClock = true;
    } else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc) {
      char* end = nullptr;
      seconds = std::strtod(argv[++i], &end);
      if (end == argv[i] || seconds < 0) {
        PrintUsage();
        return 2;
      }
    } else {
      PrintUsage();
      return 2;
    }
  }

  // Every thread started from here on leaves SIGINT and SIGTERM to the signal thread.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  if (cameraClock) UseCameraClock();
  LoadFlightTable();
  SensorCore core(std::filesystem::current_path().string());
  core.SetRecordObserver(&PrintRecord, nullptr);
  g_runningCore = &core;
  std::thread signalThread(WaitForSignals, signals);
  signalThread.detach();

  bool bothOpen = core.Start();
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    int64_t waitMs = kReconnectPeriodMs;
    if (seconds >= 0) {
      const auto elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start);
      const double leftMs = (seconds - elapsed.count()) * 1000.0;
      if (leftMs <= 0) break;
      waitMs = std::min<int64_t>(waitMs, static_cast<int64_t>(std::ceil(leftMs)));
    }
    if (core.WaitForCloseRequest(waitMs)) break;
    if (!bothOpen) bothOpen = core.ReconnectTick();
  }
  core.Shutdown();
  g_runningCore = nullptr;
  return 0;
}
