// Counts of set pixels in boxes of a shot frame's mask image in constant time. The candidate tests
// of the ball track count hundreds of thousands of boxes per frame on the same mask; a table of
// running sums built once per frame answers each of them with four look-ups. The mask holds only
// 0 and 255, so a count above any level below 255 is the count of set pixels.
#pragma once

#include <cstdint>

#include "watch/rect.h"

class MaskCounts {
 public:
  // Builds the table ((W + 1) x (H + 1) sums) over the whole mask into storage.
  void Build(const uint8_t* mask, int32_t W, int32_t H, uint32_t* storage);
  // Set pixels in the box after clamping it to the frame, exactly as CountWhite counts them at a
  // level below 255 on a clamped box.
  int32_t Count(CRectT box) const;
  // IsBoxFilled on the mask: more than floor(width x height x percent / 100) set pixels.
  bool Filled(CRectT box, int32_t level, int32_t percent) const;

 private:
  const uint32_t* sums_ = nullptr;
  int32_t W_ = 0;
  int32_t H_ = 0;
};
