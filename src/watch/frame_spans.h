// The pixels of a rectangle whose index y * W + x lies inside a W x H frame, walked as contiguous
// runs of memory. Indexing the frame is what every image operation is defined by: a part of the
// rectangle left or right of the frame wraps into the neighbouring row, so the columns of one row
// that index inside the frame always form a single run, and full-width rows join into one.
#pragma once

#include <algorithm>
#include <cstdint>

#include "watch/rect.h"

namespace frame_spans {

inline int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Calls visit(start, end) with index ranges [start, end) in row order. A rectangle wider than the
// frame gives overlapping runs, as its (x, y) pairs reach some pixels twice.
template <typename Visit>
void ForEachSpan(const CRectT& rect, int32_t W, int32_t H, Visit visit) {
  if (rect.m_width <= 0 || rect.m_height <= 0 || W <= 0 || H <= 0) return;
  const int64_t frameSize = int64_t{W} * H;
  const int64_t left = rect.m_x;
  const int64_t right = left + rect.m_width;                          // exclusive
  const int64_t firstReachingRow = FloorDiv(-right, W) + 1;           // y * W + right > 0
  const int64_t lastReachingRow = FloorDiv(frameSize - left - 1, W);  // y * W + left < frameSize
  const int64_t top = std::max<int64_t>(rect.m_y, firstReachingRow);
  const int64_t bottom = std::min<int64_t>(int64_t{rect.m_y} + rect.m_height - 1, lastReachingRow);

  int64_t spanStart = 0;
  int64_t spanEnd = 0;
  for (int64_t y = top; y <= bottom; ++y) {
    const int64_t rowStart = y * W;
    const int64_t lo = std::max(left, -rowStart);
    const int64_t hi = std::min(right, frameSize - rowStart);
    if (lo >= hi) continue;
    if (rowStart + lo == spanEnd && spanEnd > spanStart) {
      spanEnd = rowStart + hi;
      continue;
    }
    if (spanEnd > spanStart) visit(spanStart, spanEnd);
    spanStart = rowStart + lo;
    spanEnd = rowStart + hi;
  }
  if (spanEnd > spanStart) visit(spanStart, spanEnd);
}

}  // namespace frame_spans
