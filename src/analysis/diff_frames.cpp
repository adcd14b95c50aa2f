#include "analysis/diff_frames.h"

#include <cstring>

#include "watch/frame_spans.h"

namespace {

// Branch-free so the compiler turns it into byte-vector compares and blends.
void DiffSpan(uint8_t threshold, uint8_t* __restrict mask, uint8_t* __restrict difference,
              const uint8_t* __restrict background, const uint8_t* __restrict frame,
              int64_t length) {
  for (int64_t i = 0; i < length; ++i) {
    const uint8_t b = background[i];
    const uint8_t f = frame[i];
    const uint8_t d = static_cast<uint8_t>(b > f ? b - f : f - b);
    const bool moved = d > threshold;
    difference[i] = moved ? 255 : d;
    mask[i] = moved && f > kMaskBrightness ? 255 : 0;
  }
}

}  // namespace

void DiffFrames(int32_t threshold, uint8_t* mask, uint8_t* difference, const uint8_t* background,
                const uint8_t* frame, const CRectT& rect, int32_t W, int32_t H) {
  if (threshold < 0) threshold = kDefaultDiffThreshold;
  // A threshold of 255 or more can never be exceeded; the difference is then d itself.
  const auto t = static_cast<uint8_t>(threshold > 255 ? 255 : threshold);
  frame_spans::ForEachSpan(rect, W, H, [&](int64_t start, int64_t end) {
    DiffSpan(t, mask + start, difference + start, background + start, frame + start, end - start);
  });
}

void ClearRect(const CRectT& rect, uint8_t* image, int32_t W, int32_t H) {
  frame_spans::ForEachSpan(rect, W, H, [&](int64_t start, int64_t end) {
    std::memset(image + start, 0, static_cast<size_t>(end - start));
  });
}
