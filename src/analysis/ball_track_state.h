// The state of the ball track over the frames of one shot.
#pragma once

#include <cstdint>

#include "analysis/analysis_state.h"
#include "watch/rect.h"

struct BallTrackState {
  int32_t handedness = HAND_UNDECIDED;
  int32_t firstBallFrame = -1;  // first frame after the trigger frame with a kept ball
  int32_t missCount = 0;        // frames without a kept ball; kEndTrack ends the track
  int32_t foundCount = 0;       // frames with a kept ball
  int32_t emptySwingTests = 0;
  int32_t emptySwingHits = 0;
  CRectT searchWindow;   // differenced in every frame
  CRectT trackStart;     // the ball of the first frame with a kept ball
  CRectT lastBall;       // the ball of the latest frame with a kept ball
  int32_t endFrame = 0;  // the frame at which a limit ended the track, or N
};

// A miss count that ends the track at once.
inline constexpr int32_t kEndTrack = 1000;
