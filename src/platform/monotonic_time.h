// Time that only moves forwards, for measuring how long things take and for deadlines; never the
// time of day.
#pragma once

#include <cstdint>

namespace platform {

int64_t MonotonicMicros();
double MonotonicSeconds();

}  // namespace platform
