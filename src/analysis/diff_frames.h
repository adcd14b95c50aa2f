// Frame differencing against the background frame: the first step of finding what moved in a shot
// frame, and the club's positions before and after the strike.
#pragma once

#include <cstdint>

#include "watch/rect.h"

// Differencing threshold used when a negative one is passed.
inline constexpr int32_t kDefaultDiffThreshold = 15;
// A moved pixel only counts for the mask when it is itself brighter than this.
inline constexpr int32_t kMaskBrightness = 119;

// For every pixel of rect whose index y * W + x lies inside the frame, with d = |background -
// frame| and t the threshold (15 when negative): difference = 255 where d > t, else d; mask = 255
// where d > t and the frame pixel is brighter than 119, else 0. Other pixels are left as they are;
// the rectangle is not clamped (callers clamp it).
void DiffFrames(int32_t threshold, uint8_t* mask, uint8_t* difference, const uint8_t* background,
                const uint8_t* frame, const CRectT& rect, int32_t W, int32_t H);

// Zeroes every pixel of rect whose index lies inside the frame.
void ClearRect(const CRectT& rect, uint8_t* image, int32_t W, int32_t H);
