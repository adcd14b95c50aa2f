// kestrix-sensor: the sensor with its operator console. One copy per machine; it runs in the
// current directory and ends when its window closes (close box, Esc, Enter, the client's close
// code, SIGINT or SIGTERM, or --seconds).
#include <QApplication>
#include <QTimer>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "console/console_window.h"
#include "platform/single_instance.h"
#include "sensor/camera_clock.h"
#include "sensor/run_options.h"
#include "trajectory/trajectory.h"

namespace {

constexpr const char* kInstanceName = "VarnokGolfV";

void PrintUsage() {
  std::fprintf(stderr,
               "usage: kestrix-sensor [--seconds S] [--camera-clock]\n"
               "  --seconds S      closes the sensor after S seconds\n"
               "  --camera-clock   takes the camera component's own time for the sensor's clock,\n"
               "                   for simulated cameras that free-run\n"
               "Without a display the console runs on Qt's offscreen platform.\n");
}

bool HasDisplay() {
  return std::getenv("DISPLAY") != nullptr || std::getenv("WAYLAND_DISPLAY") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  RunOptions options;
  if (!ParseRunOptions(argc, argv, options)) {
    PrintUsage();
    return 2;
  }
  // A second copy leaves at once, without a window: the first one owns the cameras.
  platform::SingleInstance instance(kInstanceName);
  if (!instance.Held()) return 0;

  CloseOnSignals();
  if (!HasDisplay() && std::getenv("QT_QPA_PLATFORM") == nullptr) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  QApplication application(argc, argv);
  if (options.cameraClock) UseCameraClock();
  LoadFlightTable();

  CTestKestrixDlg window(std::filesystem::current_path().string());
  SetSignalledCore(&window.core());
  if (options.seconds >= 0) {
    const double ms = std::min(options.seconds * 1000.0, 2e9);
    QTimer::singleShot(static_cast<int>(std::ceil(ms)), &window,
                       [&window] { window.core().RequestClose(); });
  }
  window.Initialise();
  // The window stays minimised until the operator's password is confirmed.
  window.LockWithPassword();
  window.exec();
  SetSignalledCore(nullptr);
  return 0;
}
