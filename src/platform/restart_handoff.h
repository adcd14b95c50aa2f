// What the updater needs to start the sensor again after a camera error. It travels in the
// updater's environment because the sensor exits at once and may be gone before the updater
// looks at it.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct RestartRequest {
  pid_t pid = 0;
  uint64_t startTime = 0;  // kernel start time of the process, tells a reused pid apart
  std::string executable;
  std::vector<std::string> arguments;  // argv, argv[0] first
};

// The "NAME=value" entries that describe this process.
std::vector<std::string> RestartEnvironment();

// Reads the request from the environment; false when it is missing or broken.
bool ReadRestartRequest(RestartRequest& request);

// Removes the request's entries from this process's environment, so that the restarted program
// does not inherit them.
void ClearRestartRequest();

// Whether the process described still runs (a zombie or a reused pid counts as gone).
bool ProcessRunning(pid_t pid, uint64_t startTime);

// Start time of a running process, 0 when there is none.
uint64_t ProcessStartTime(pid_t pid);

}  // namespace platform
