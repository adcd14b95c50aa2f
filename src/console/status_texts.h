// The names the status read-outs show for the watch's codes.
#pragma once

#include <cstdint>

namespace console {

// "BALL_EMPTY" ... "BALL_SWING_NOT_SHOT"; "" for a code the watch never sets.
const char* BallStateName(int32_t state);
// The club path of a classified shot; "" for 1000 (not classified) and any other code.
const char* ClubPathName(int32_t pathClass);

}  // namespace console
