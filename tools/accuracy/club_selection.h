// When the golf client changes club during a session. The sensor finds the tee, the iron mat, the
// rough and the bunker by itself but never the putter: a golf client selects the putter when the
// player's ball is on the green and another club once it has left it. So the client selects the
// putter before the first putt of a run of putts (before the session, when it starts with one)
// and a club for the area of the next ball after the last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "script_outline.h"

namespace accuracy {

inline constexpr int64_t kPutterClubCode = 12;

struct ClubChange {
  size_t beforeStrike = 0;  // index into the script's strikes; 0: before the session starts
  int64_t clubCode = 0;
};

// In strike order. A session that never putts changes nothing: the sensor starts without the
// putter and classifies every ball.
std::vector<ClubChange> ClubChanges(const std::vector<ScriptStrike>& strikes);

}  // namespace accuracy
