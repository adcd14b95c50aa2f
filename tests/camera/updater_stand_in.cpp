// A stand-in sensor for the updater test. Its first run (no "runs.txt" yet) records itself,
// starts the updater as the sensor does after a camera error, waits the given milliseconds and
// exits. The run the updater starts records itself too, with its working directory and whether
// the restart request leaked into its environment.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/restart_handoff.h"
#include "platform/sleep.h"
#include "platform/start_program.h"

int main(int argc, char** argv) {
  const bool restarted = std::filesystem::exists("runs.txt");
  std::ofstream runs("runs.txt", std::ios::app);
  char cwd[PATH_MAX] = {};
  if (getcwd(cwd, sizeof cwd) == nullptr) return 2;
  runs << (restarted ? "restarted" : "first") << " " << getpid() << " " << cwd << " "
       << (std::getenv("KESTRIX_RESTART_PID") != nullptr ? "request-leaked" : "clean") << " "
       << argc << (argc > 1 ? std::string(" ") + argv[1] : std::string()) << "\n";
  runs.close();
  if (restarted) return 0;
  if (!platform::StartProgram("UpdateKestrix", "|APP_RESET_FOR_CAMERA_ERROR",
                              platform::RestartEnvironment())) {
    return 3;
  }
  platform::SleepMs(argc > 1 ? std::atoi(argv[1]) : 0);
  return 0;
}
