// Ball-watch state of one camera: classification scores, watch counters and the ball state.
// The peer camera's capture thread reads and writes the ready flag, the ball state and the found
// and lost counters; the user-interface thread reads everything here and restarts the
// classification. So every field is a relaxed atomic: no locks, and a stale value is corrected on
// the next frame.
#pragma once

#include <cstdint>
#include <limits>

#include "platform/relaxed.h"

enum BallState : int32_t {
  BALL_EMPTY = 0,
  BALL_READY = 1,
  BALL_SHOT = 2,
  BALL_SWING_NOT_SHOT = 3,  // named by the console only; the watch never sets it
};

// What the shot analysis reports back to the watch.
enum AnalysisOutcome : int32_t {
  ANALYSIS_DELIVERED = 1,
  ANALYSIS_EMPTY_SWING = 2,
  ANALYSIS_NO_SHOT = 3,
  ANALYSIS_LOW_FPS = -1000,
};

// m_classifyCount once a club type has been decided.
inline constexpr int32_t kClassificationDecided = -999;
// The four classified areas in the order of their flags: driver, iron, rough, bunker.
inline constexpr int kClassifiedAreaCount = 4;

// One step (>= 0) of a watch counter or score. They step on every frame for as long as nothing
// changes on the mat (a putter bay left on counts lost frames for weeks), so they stop at the
// int32 ceiling instead of wrapping negative. Every threshold they are compared with is a few frame
// units, far below the ceiling, so a counter that has stopped compares as one still counting would.
constexpr int32_t CountStep(int32_t count, int32_t step) {
  return count > std::numeric_limits<int32_t>::max() - step ? std::numeric_limits<int32_t>::max()
                                                            : count + step;
}

struct WatchState {
  // Per-frame watch; the counters step by 4 and are compared with the tuning table's frame unit.
  platform::Relaxed<int32_t> m_ballState = BALL_EMPTY;
  platform::Relaxed<int32_t> m_foundCount = 0;
  platform::Relaxed<int32_t> m_lostCount = 0;
  platform::Relaxed<int32_t> m_awayCount = 0;
  platform::Relaxed<int32_t> m_readyReported = 0;
  // Set while the shot analysis runs on the capture thread.
  platform::Relaxed<uint8_t> m_analysing = 0;

  // Club-area classification: consecutive-frame scores, the flags last sent to the client, and
  // the frame count (> 0 running, kClassificationDecided, or 0 when none is wanted).
  platform::Relaxed<int32_t> m_driverCount = 0;
  platform::Relaxed<int32_t> m_ironCount = 0;
  platform::Relaxed<int32_t> m_roughCount = 0;
  platform::Relaxed<int32_t> m_bunkerCount = 0;
  platform::Relaxed<uint8_t> m_sentAreas[kClassifiedAreaCount] = {};
  platform::Relaxed<int32_t> m_classifyCount = 0;
};
