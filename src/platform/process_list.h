// The running processes and their processor placement (the desktop's process snapshot walk and
// SetProcessAffinityMask).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
  int pid;
  std::string exeName;  // base name of the executable, "sleep" for /usr/bin/sleep
};

// Every process visible in /proc. The name comes from the executable, else from argv[0], else
// from the kernel's short name; processes that end during the walk are left out. Never throws.
std::vector<ProcessEntry> ListProcesses();

int CurrentProcessId();

// Bit n of mask is processor n. Refused (false) for an empty mask or one naming a processor the
// machine does not have; else places every thread of the process on those processors and returns
// whether its main thread was placed.
bool SetProcessAffinityMask(int pid, uint32_t mask);

}  // namespace platform
