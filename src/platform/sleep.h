// Sleeping a thread for whole milliseconds (the stand-in of Sleep).
#pragma once

#include <cstdint>

namespace platform {

void SleepMs(int32_t milliseconds);

}  // namespace platform
