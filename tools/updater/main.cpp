// UpdateKestrix: started by the sensor after a camera error with the parameter text
// "|APP_RESET_FOR_CAMERA_ERROR". It waits until that sensor has exited, then starts the same
// program again from the same working directory, and appends what it did to "./camera.txt".
#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/append_log.h"
#include "platform/restart_handoff.h"
#include "platform/sleep.h"

extern char** environ;

namespace {

constexpr const char* kCameraLog = "./camera.txt";
constexpr int64_t kCameraLogCap = 1048576;
constexpr int32_t kPollMs = 20;
// A sensor that has not exited by then is hung; starting a second one would not help.
constexpr int32_t kGiveUpMs = 60000;

void Log(const std::string& what) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char line[1024];
  std::snprintf(line, sizeof line, "-> UpdateKestrix (%d-%d-%d-%d-%d-%d) : %s <-\n",
                local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec, what.c_str());
  platform::AppendLog(kCameraLog, line, kCameraLogCap);
}

bool WaitForExit(const platform::RestartRequest& request) {
  for (int32_t waited = 0; platform::ProcessRunning(request.pid, request.startTime);
       waited += kPollMs) {
    if (waited >= kGiveUpMs) return false;
    platform::SleepMs(kPollMs);
  }
  return true;
}

int Restart(const platform::RestartRequest& request) {
  std::vector<std::string> args = request.arguments;
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t child = 0;
  const int error =
      posix_spawn(&child, request.executable.c_str(), nullptr, nullptr, argv.data(), environ);
  if (error != 0) {
    Log("cannot start " + request.executable + " : " + std::strerror(error));
    return 1;
  }
  Log("restarted " + request.executable + " (pid " + std::to_string(child) + ")");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string parameters = argc > 1 ? argv[1] : "";
  platform::RestartRequest request;
  const bool handedOver = platform::ReadRestartRequest(request);
  // The restarted sensor must not inherit the request.
  platform::ClearRestartRequest();
  // Started by hand, or by a program that did not say who it is: nothing is restarted.
  if (!handedOver) {
    Log("started with \"" + parameters + "\" but no program to restart");
    return 1;
  }
  Log("started with \"" + parameters + "\" for " + request.executable + " (pid " +
      std::to_string(request.pid) + ")");
  if (!WaitForExit(request)) {
    Log(request.executable + " did not exit, not restarted");
    return 1;
  }
  return Restart(request);
}
