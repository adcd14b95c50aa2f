// A camera that stops delivering frames (or delivers them too slowly) is logged and the whole
// program is restarted through the updater: the camera library does not recover on its own.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "camera/main_camera.h"
#include "platform/append_log.h"
#include "platform/restart_handoff.h"
#include "platform/start_program.h"

namespace {

constexpr const char* kCameraLog = "./camera.txt";
constexpr int64_t kCameraLogCap = 1048576;
constexpr const char* kUpdater = "UpdateKestrix";
constexpr const char* kUpdaterParameters = "|APP_RESET_FOR_CAMERA_ERROR";

// Both cameras can fail at the same moment. One updater is enough, and a second would start a
// second sensor beside the first, both delivering every shot: the camera that comes second waits
// here until the first has ended the process, or takes its turn when that start failed.
std::mutex restartTurn;

}  // namespace

void CMainCamera::CameraError(int32_t reason) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char when[64];
  std::snprintf(when, sizeof when, "%d-%d-%d-%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);

  char line[256];
  const char* format = reason == kCameraErrorRead
                           ? "-> SensorType (%d) : (m_cameraIndex-%d) (%s-%s) <-\n"
                           : "-> SensorType (%d)(fps) : (m_cameraIndex-%d) (%s-%s) <-\n";
  std::snprintf(line, sizeof line, format, SensorType,
                static_cast<int32_t>(m_capture.m_cameraIndex), "CMainCamera::CameraError", when);
  platform::AppendLog(kCameraLog, line, kCameraLogCap);

  const std::lock_guard<std::mutex> turn(restartTurn);
  if (platform::StartProgram(kUpdater, kUpdaterParameters, platform::RestartEnvironment())) {
    // The updater starts the program again once this process is gone. The other camera's thread
    // still runs, so static objects are not torn down under it: flush what is buffered and end.
    std::fflush(nullptr);
    std::_Exit(0);
  }
}
