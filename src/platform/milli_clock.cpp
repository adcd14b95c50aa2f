#include "platform/milli_clock.h"

#include <time.h>

#include "platform/relaxed.h"

namespace platform {
namespace {

Relaxed<int32_t> g_mode = CLOCK_NOT_PROBED;
Relaxed<MilliClockSource> g_source = nullptr;

// The high-resolution counter: CLOCK_MONOTONIC in nanoseconds, frequency 1e9.
bool ReadCounter(int64_t& counter, int64_t& frequency) {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return false;
  counter = static_cast<int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  frequency = 1000000000;
  return true;
}

// The coarse tick count used when there is no counter.
int32_t CoarseTicks() {
  timespec now{};
  if (clock_gettime(CLOCK_MONOTONIC_COARSE, &now) != 0) clock_gettime(CLOCK_REALTIME, &now);
  const int64_t ms = static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
  return static_cast<int32_t>(static_cast<uint32_t>(ms));
}

}  // namespace

int32_t MilliClock() {
  if (const MilliClockSource source = g_source.load()) {
    if (g_mode == CLOCK_NOT_PROBED) g_mode = CLOCK_FINE;
    return source();
  }
  int32_t mode = g_mode;
  int64_t counter = 0;
  int64_t frequency = 0;
  if (mode == CLOCK_NOT_PROBED) {
    mode = ReadCounter(counter, frequency) ? CLOCK_FINE : CLOCK_COARSE;
    g_mode = mode;
  }
  if (mode != CLOCK_FINE) return CoarseTicks();
  // Counter and frequency are read anew on every call, as the counter's contract asks.
  if (!ReadCounter(counter, frequency)) return CoarseTicks();
  const int64_t ticksPerMs = frequency / 1000;
  return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(counter / ticksPerMs)));
}

int32_t MilliClockMode() {
  return g_mode;
}

void SetMilliClockSource(MilliClockSource source) {
  g_source = source;
}

void SetMilliClockModeForTest(int32_t mode) {
  g_mode = mode;
}

}  // namespace platform
