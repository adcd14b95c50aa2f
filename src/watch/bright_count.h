// The measurement every decision of the ball watch rests on: how many pixels of an 8-bit frame
// inside a rectangle are brighter than a level.
#pragma once

#include <cstdint>

#include "watch/rect.h"

// Pixels strictly brighter than level among the pixels of rect whose index y * W + x lies inside
// the W x H frame. The rectangle is not clamped: a part left or right of the frame wraps into the
// neighbouring row, exactly as indexing the frame does; callers clamp first to avoid that.
int32_t CountWhite(const CRectT& rect, int32_t W, const uint8_t* image, int32_t level, int32_t H);

// Moves a box that sticks out left or top into the frame, and shortens one that sticks out right
// or bottom. Returns the rect for chaining.
CRectT& ClampToImage(CRectT& rect, int32_t W, int32_t H);

// Whether the clamped box is filled: more than floor(width x height x percent / 100) bright pixels.
// A box of zero area is never filled.
bool IsBoxFilled(CRectT box, const uint8_t* image, int32_t W, int32_t H, int32_t level,
                 int32_t percent);
