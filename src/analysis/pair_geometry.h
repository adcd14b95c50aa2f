// The geometry of two ball positions in the shot frames: the ball speed and the horizontal launch
// angle they give, the side camera's positions in the main camera's scale, and the putter's
// corrections. Positions are the rectangles' top-left corners in integer pixels.
#pragma once

#include <cstdint>

#include "watch/rect.h"

// A per-frame speed above this (m/s) is not a ball's.
inline constexpr float kMaxFrameSpeed = 160.0f;

class CMainCamera;
struct ShotRun;

// Milliseconds from one frame to the next as the speed rule counts them: 1000 / frame unit in
// integer division, at least 1.
int32_t FramePeriodMs(const CMainCamera& camera);

// Ball speed (m/s) from position from to position to, gap frames apart (0 counts as 1). When from
// is the ball at rest the gap counts three quarters: the ball left its place during the first
// frame step. Only the along-flight component is divided by the gap.
float PairSpeed(const CMainCamera& camera, const CRectT& from, const CRectT& to, int32_t gap,
                bool fromRest);

// The putter's speed curve: slow putts read low, so they are raised by a step of the table.
float PuttCurve(float speed);

// The side camera sees the mat from another place: its x relative to the tee column is rescaled
// by the two cameras' measured image widths left and right of the tee. Needs the peer camera; the
// rectangle is returned unchanged without one.
CRectT MapSideToMain(const CMainCamera& camera, CRectT rect);

// Horizontal launch angle (degrees, positive to the right) of the ball at rect seen from the
// resting ball, with its log line; frameIndex names the frame there.
float PairHAngle(const ShotRun& run, const CRectT& rect, int32_t frameIndex);
