// Ball-watch state of one camera: classification scores, watch counters and the ball state.
#pragma once

#include <cstdint>

#include "platform/relaxed.h"

struct WatchState {};
