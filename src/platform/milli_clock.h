// The process-wide millisecond clock the frame-rate measurement, the watch and the analysis share.
#pragma once

#include <cstdint>

namespace platform {

enum ClockMode : int32_t {
  CLOCK_NOT_PROBED = -1,
  CLOCK_COARSE = 0,  // no high-resolution counter: the multimedia-timer stand-in
  CLOCK_FINE = 1,    // counter / (frequency / 1000)
};

// Milliseconds since an arbitrary start, truncated to 32 bits (it wraps like the tick count it
// stands in for). The first call probes the high-resolution counter and fixes the mode.
int32_t MilliClock();

// The mode fixed by the first MilliClock call, or CLOCK_NOT_PROBED before it.
int32_t MilliClockMode();

// A clock the camera component keeps when its cameras run on a time of their own (simulated
// cameras that free-run): frame rates and every other time the sensor measures then follow the
// cameras' time, not the machine's. nullptr returns to the machine's clock.
using MilliClockSource = int32_t (*)();
void SetMilliClockSource(MilliClockSource source);

// Tests only: fixes the mode as if the probe had given it (CLOCK_COARSE simulates a machine
// without the high-resolution counter); CLOCK_NOT_PROBED makes the next call probe again.
void SetMilliClockModeForTest(int32_t mode);

}  // namespace platform
