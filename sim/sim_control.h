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

#ifdef __cplusplus
}
#endif
