#include "analysis/mask_counts.h"

#include <cstddef>

#include "watch/bright_count.h"

void MaskCounts::Build(const uint8_t* mask, int32_t W, int32_t H, uint32_t* storage) {
  W_ = W;
  H_ = H;
  sums_ = storage;
  const int32_t stride = W + 1;
  for (int32_t x = 0; x <= W; ++x) storage[x] = 0;
  for (int32_t y = 0; y < H; ++y) {
    const uint8_t* row = mask + static_cast<size_t>(y) * W;
    const uint32_t* above = storage + static_cast<size_t>(y) * stride;
    uint32_t* sums = storage + static_cast<size_t>(y + 1) * stride;
    uint32_t run = 0;
    sums[0] = 0;
    for (int32_t x = 0; x < W; ++x) {
      run += row[x] != 0 ? 1u : 0u;
      sums[x + 1] = above[x + 1] + run;
    }
  }
}

int32_t MaskCounts::Count(CRectT box) const {
  ClampToImage(box, W_, H_);
  if (box.m_width <= 0 || box.m_height <= 0) return 0;
  const int32_t stride = W_ + 1;
  const uint32_t* top = sums_ + static_cast<size_t>(box.m_y) * stride;
  const uint32_t* bottom = sums_ + static_cast<size_t>(box.m_y + box.m_height) * stride;
  const int32_t left = box.m_x;
  const int32_t right = box.m_x + box.m_width;
  return static_cast<int32_t>(bottom[right] - bottom[left] - top[right] + top[left]);
}

bool MaskCounts::Filled(CRectT box, int32_t level, int32_t percent) const {
  if (level >= 255) return false;
  ClampToImage(box, W_, H_);
  if (box.m_width <= 0 || box.m_height <= 0) return false;
  const int32_t area = box.m_width * box.m_height;
  // Below 0 every pixel is brighter than the level, set or not.
  const int32_t count = level < 0 ? area : Count(box);
  return count > area * percent / 100;
}
