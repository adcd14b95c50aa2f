// Extra entry point of the simulated component, for tests and tools: replaces the running
// session with the script text given (null: the idle bay). Returns 0, or non-zero when the
// script has an error (reported on standard error; the component then has no camera).
// Call it only while no camera is in use.
#pragma once

#include <stdint.h>

#include "VarnokV2.h"

#ifdef __cplusplus
extern "C" {
#endif

VARNOK_API int32_t VarnokSimLoadScript(const char* scriptText);

// Frames of camera id (0 or 1) that came and went unread since the session began: a reader that
// was late gets the newest frame, and the ones in between are lost.
VARNOK_API int64_t VarnokSimLostFrames(int32_t id);

// The session's own time in milliseconds, that of the latest frame both cameras have delivered.
// Free-running cameras keep their own pace; a sensor that takes this for its clock measures
// their frame rate, not the machine's speed.
VARNOK_API int32_t VarnokSimClockMs(void);

#ifdef __cplusplus
}
#endif
