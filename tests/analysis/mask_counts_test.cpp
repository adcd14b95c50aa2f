// The running-sum counts of the mask against the bright-pixel count they stand in for.
#include "analysis/mask_counts.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "watch/bright_count.h"

namespace {

TEST(MaskCounts, AgreeWithTheBrightPixelCountOnEveryBox) {
  struct Size {
    int32_t w, h;
  };
  for (const Size size : {Size{320, 320}, Size{23, 17}, Size{1, 5}}) {
    SCOPED_TRACE(::testing::Message() << size.w << " x " << size.h);
    std::mt19937 rng(11);
    std::vector<uint8_t> mask(static_cast<size_t>(size.w) * size.h);
    for (auto& p : mask) p = rng() % 3 == 0 ? 255 : 0;
    std::vector<uint32_t> sums(static_cast<size_t>(size.w + 1) * (size.h + 1));
    MaskCounts counts;
    counts.Build(mask.data(), size.w, size.h, sums.data());
    std::uniform_int_distribution<int32_t> place(-40, std::max(size.w, size.h) + 40);
    std::uniform_int_distribution<int32_t> extent(-5, 80);
    for (int i = 0; i < 3000; ++i) {
      const CRectT box = MakeRect(place(rng), place(rng), extent(rng), extent(rng));
      CRectT clamped = box;
      ClampToImage(clamped, size.w, size.h);
      ASSERT_EQ(counts.Count(box), CountWhite(clamped, size.w, mask.data(), 120, size.h));
      for (const int32_t level : {-1, 0, 150, 254, 255}) {
        for (const int32_t percent : {4, 50, 70}) {
          ASSERT_EQ(counts.Filled(box, level, percent),
                    IsBoxFilled(box, mask.data(), size.w, size.h, level, percent))
              << box.m_x << "," << box.m_y << " " << box.m_width << "x" << box.m_height << " level "
              << level;
        }
      }
    }
  }
}

}  // namespace
