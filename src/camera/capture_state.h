// Capture state of one camera: flags and counters shared between its capture thread and the
// user-interface thread.
#pragma once

#include <cstdint>

#include "platform/relaxed.h"

struct CaptureState {};
