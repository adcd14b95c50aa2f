// How much of the machine a running process holds, as Linux shows it under /proc: its resident
// memory and its open descriptors.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string_view>

namespace accuracy {

struct ProcessUse {
  long rssKiB = 0;
  int fds = 0;
};

// Nothing once the process has gone (or /proc is not there).
std::optional<ProcessUse> ReadProcessUse(pid_t pid);

// The "VmRSS:" line of a /proc/PID/status text, in KiB.
std::optional<long> VmRssKiB(std::string_view status);

}  // namespace accuracy
