#include "platform/thread_control.h"

#include <pthread.h>
#include <sched.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/debug_output.h"

namespace platform {

int32_t ProcessorCount() {
  const long count = sysconf(_SC_NPROCESSORS_ONLN);
  return count < 1 ? 1 : static_cast<int32_t>(count);
}

bool SetTimeCriticalPriority(std::thread& thread) {
  const char* optOut = std::getenv("KESTRIX_NO_REALTIME");
  if (optOut != nullptr && *optOut != '\0') {
    OutputDebugStringA("-> real-time priority off (KESTRIX_NO_REALTIME), priority unchanged <-\n");
    return false;
  }
  sched_param param{};
  param.sched_priority = sched_get_priority_max(SCHED_FIFO);
  const int error = pthread_setschedparam(thread.native_handle(), SCHED_FIFO, &param);
  if (error != 0) {
    DebugPrintf("-> SCHED_FIFO not permitted (%s), priority unchanged <-\n", std::strerror(error));
    return false;
  }
  return true;
}

bool SetSingleProcessorAffinity(std::thread& thread, int32_t processor) {
  if (processor < 0 || processor >= CPU_SETSIZE) return false;
  cpu_set_t set;
  CPU_ZERO(&set);
  CPU_SET(processor, &set);
  return pthread_setaffinity_np(thread.native_handle(), sizeof set, &set) == 0;
}

}  // namespace platform
