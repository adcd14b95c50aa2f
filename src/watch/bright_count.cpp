#include "watch/bright_count.h"

#include <algorithm>
#include <cstdint>

#include "watch/frame_spans.h"

namespace {

// Counts one contiguous span. Blocks of at most 240 pixels are summed in a byte accumulator, which
// cannot overflow there and lets the compiler compare and add 16 or 32 pixels per instruction.
uint32_t CountSpanAbove(const uint8_t* pixels, int64_t length, uint8_t threshold) {
  constexpr int64_t kBlock = 240;  // a whole number of 16-byte vectors, below 256
  uint32_t count = 0;
  while (length > 0) {
    const int64_t block = length < kBlock ? length : kBlock;
    uint8_t blockCount = 0;
    for (int64_t i = 0; i < block; ++i) blockCount += pixels[i] > threshold ? 1 : 0;
    count += blockCount;
    pixels += block;
    length -= block;
  }
  return count;
}

}  // namespace

int32_t CountWhite(const CRectT& rect, int32_t W, const uint8_t* image, int32_t level, int32_t H) {
  if (rect.m_width <= 0 || rect.m_height <= 0 || W <= 0 || H <= 0 || image == nullptr) return 0;
  if (level >= 255) return 0;

  const bool countAll = level < 0;
  const auto threshold = static_cast<uint8_t>(countAll ? 0 : level);
  int64_t count = 0;
  frame_spans::ForEachSpan(rect, W, H, [&](int64_t start, int64_t end) {
    count += countAll ? end - start : CountSpanAbove(image + start, end - start, threshold);
  });
  return static_cast<int32_t>(std::min<int64_t>(count, INT32_MAX));
}

CRectT& ClampToImage(CRectT& rect, int32_t W, int32_t H) {
  if (rect.m_x <= 0) rect.m_x = 0;
  if (rect.m_x >= W) rect.m_x = W;
  if (rect.m_y <= 0) rect.m_y = 0;
  if (rect.m_y >= H) rect.m_y = H;
  // Widened sums: a huge extent must shrink, not overflow into a negative edge.
  if (int64_t{rect.m_x} + rect.m_width >= W) rect.m_width = W - rect.m_x;
  if (int64_t{rect.m_y} + rect.m_height >= H) rect.m_height = H - rect.m_y;
  return rect;
}

bool IsBoxFilled(CRectT box, const uint8_t* image, int32_t W, int32_t H, int32_t level,
                 int32_t percent) {
  ClampToImage(box, W, H);
  if (box.m_width <= 0 || box.m_height <= 0) return false;
  const int32_t needed = box.m_width * box.m_height * percent / 100;
  return CountWhite(box, W, image, level, H) > needed;
}
