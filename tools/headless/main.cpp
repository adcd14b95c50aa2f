// kestrix-headless: the sensor without its window. Runs in the current directory, prints every
// record that reaches a camera's result callback as one JSON line on standard output, and ends on
// SIGINT or SIGTERM, on the client's close code, or after --seconds. Its main loop is the
// sensor's control thread: client codes and the reconnect tick run there, in order.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/debug_output.h"
#include "platform/milli_clock.h"
#include "sensor/camera_clock.h"
#include "sensor/run_options.h"
#include "sensor/sensor_core.h"
#include "trajectory/trajectory.h"

namespace {

constexpr int64_t kReconnectPeriodMs = 3000;
constexpr int kExitClientUnheard = 3;

void PrintUsage() {
  std::fprintf(stderr,
               "usage: kestrix-headless [--seconds S] [--camera-clock]\n"
               "  --seconds S      ends the sensor after S seconds\n"
               "  --camera-clock   takes the camera component's own time for the sensor's clock,\n"
               "                   for simulated cameras that free-run\n"
               "exit status: 0; 2 for a bad command line; 3 when the golf client could not reach\n"
               "the sensor for some time of the run (another sensor held \"VarnokGolfV\")\n");
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

}  // namespace

int main(int argc, char** argv) {
  RunOptions options;
  if (!ParseRunOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  const double seconds = options.seconds;
  CloseOnSignals();

  if (options.cameraClock) UseCameraClock();
  LoadFlightTable();
  SensorCore core(std::filesystem::current_path().string());
  core.SetRecordObserver(&PrintRecord, nullptr);
  SetSignalledCore(&core);

  bool bothOpen = core.Start();
  bool clientUnheard = !core.ListeningToClient();
  if (clientUnheard) {
    std::fprintf(stderr,
                 "kestrix-headless: another sensor holds the client link; the golf client's codes "
                 "go unheard (retried every 3 s)\n");
  }
  const auto start = std::chrono::steady_clock::now();
  auto nextTick = start + std::chrono::milliseconds(kReconnectPeriodMs);
  for (;;) {
    const auto now = std::chrono::steady_clock::now();
    int64_t waitMs = std::chrono::ceil<std::chrono::milliseconds>(nextTick - now).count();
    if (seconds >= 0) {
      // In double: any number of seconds given is a valid end, however far.
      const double leftMs = (seconds - std::chrono::duration<double>(now - start).count()) * 1000.0;
      if (leftMs <= 0) break;
      waitMs = std::min<int64_t>(waitMs, static_cast<int64_t>(std::ceil(std::min(leftMs, 1e9))));
    }
    if (core.ServeControl(std::max<int64_t>(waitMs, 0))) break;
    if (std::chrono::steady_clock::now() < nextTick) continue;
    nextTick += std::chrono::milliseconds(kReconnectPeriodMs);
    if (!bothOpen) bothOpen = core.ReconnectTick() == SensorCore::Reconnect::kBothOpen;
    if (!core.ListeningToClient()) clientUnheard |= !core.RetryClientLink();
  }
  core.Shutdown();
  SetSignalledCore(nullptr);
  return clientUnheard ? kExitClientUnheard : 0;
}
