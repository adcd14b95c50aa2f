// When to close a free-running session. Its cameras run as fast as the sensor takes frames, which
// on a busy machine is many times slower than real time and on an idle one faster, so the wall
// clock alone says little about where the session is; the truth lines do. The session is over
// once every strike of the script has been logged and every shot answered (its result and, but
// for a putt, its flight path), and then quiet for a while, so a late second delivery is still
// heard. What never comes is waited for in proportion to the pace the truth lines showed, so a
// stuck run ends too.
#pragma once

#include <cstddef>
#include <vector>

#include "shot_join.h"

namespace accuracy {

struct FreeRunTiming {
  double settleSeconds = 3.0;         // quiet after the last answer, at least...
  double settleSession = 2.0;         // ...and at least this many session seconds at the pace seen
  double deliveryWaitSeconds = 30.0;  // for a shot logged but not answered, at least...
  double deliveryWaitSession = 10.0;  // ...and this many session seconds
  double paceMargin = 3.0;  // the next strike may come this many times slower than the pace seen
  double minPace = 4.0;     // wall seconds per session second allowed at least, once one is seen
  // Before the first truth line there is no pace to go by: room for a sanitizer build on a busy
  // machine.
  double unknownPace = 50.0;
  double slackSeconds = 10.0;  // start-up, and slack on every wait for the next strike
};

// What the runner has seen, in wall seconds of its own clock.
struct FreeRunProgress {
  double sensorStartedAt = 0;
  size_t truthLines = 0;          // logged so far
  double lastTruthAt = 0;         // when the latest of them appeared (meaningless without one)
  double lastMessageAt = -1e300;  // the client's latest line of any code
  double pace = 0;                // wall seconds per session second lately; 0: not known yet
  bool answered = false;          // AllAnswered() of the join so far
};

// The strike logged and, for a shot, delivered with its flight path (a putt has none).
bool Answered(const JoinedEvent& event);

// Every strike of the script answered.
bool AllAnswered(const JoinResult& join);

// Wall seconds per session second between two truth lines, or from the sensor's start to the
// first (which includes the start-up and so errs on the slow side). 0 when the session times are
// too close to tell.
double ObservedPace(double fromWall, double fromSession, double toWall, double toSession);

// The wall time at which to close, given the session times of the script's strikes; a script
// without strikes has nothing to wait for but its own length, at real pace.
double FreeRunCloseAt(const std::vector<double>& strikeTimes, double endTime,
                      const FreeRunProgress& progress, const FreeRunTiming& timing = {});

}  // namespace accuracy
