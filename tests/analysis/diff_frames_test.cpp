// Frame differencing and clearing over rectangles that lie partly or wholly outside the frame:
// both operations are defined pixel by pixel over the rectangle's (x, y) pairs, and a pair counts
// exactly when its index y * W + x lies inside the frame, so a part left or right of the frame
// reaches into the neighbouring row.
#include "analysis/diff_frames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using Image = std::vector<uint8_t>;

// The definition, one (x, y) pair at a time.
void PlainDiff(int32_t threshold, Image& mask, Image& difference, const Image& background,
               const Image& frame, const CRectT& r, int32_t W, int32_t H) {
  const int32_t t = threshold < 0 ? 15 : threshold;
  for (int64_t y = r.m_y; y < int64_t{r.m_y} + r.m_height; ++y) {
    for (int64_t x = r.m_x; x < int64_t{r.m_x} + r.m_width; ++x) {
      const int64_t i = y * W + x;
      if (i < 0 || i >= int64_t{W} * H) continue;
      const int d = std::abs(background[i] - frame[i]);
      difference[i] = static_cast<uint8_t>(d > t ? 255 : d);
      mask[i] = d > t && frame[i] > 119 ? 255 : 0;
    }
  }
}

void PlainClear(const CRectT& r, Image& image, int32_t W, int32_t H) {
  for (int64_t x = r.m_x; x < int64_t{r.m_x} + r.m_width; ++x) {
    for (int64_t y = r.m_y; y < int64_t{r.m_y} + r.m_height; ++y) {
      const int64_t i = y * W + x;
      if (i >= 0 && i < int64_t{W} * H) image[i] = 0;
    }
  }
}

// A background and a frame whose differences cluster around the small thresholds and reach the
// extremes, with frame values on both sides of the mask's brightness limit.
struct FramePair {
  Image background, frame;
};

FramePair RandomFrames(int32_t W, int32_t H, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> byte(0, 255), near(-20, 20), pick(0, 3);
  FramePair p{Image(static_cast<size_t>(W) * H), Image(static_cast<size_t>(W) * H)};
  for (size_t i = 0; i < p.frame.size(); ++i) {
    const int b = byte(random);
    int f = 0;
    switch (pick(random)) {
      case 0:
        f = byte(random);
        break;
      case 1:
        f = 0;
        break;
      default:
        f = std::clamp(b + near(random), 0, 255);
        break;
    }
    p.background[i] = static_cast<uint8_t>(b);
    p.frame[i] = static_cast<uint8_t>(f);
  }
  // The extreme differences and the brightness limit itself.
  const uint8_t extremes[][2] = {{0, 255}, {1, 255}, {255, 0}, {0, 119}, {0, 120}, {105, 120}};
  for (size_t k = 0; k < std::size(extremes) && k < p.frame.size(); ++k) {
    p.background[k * 7 % p.frame.size()] = extremes[k][0];
    p.frame[k * 7 % p.frame.size()] = extremes[k][1];
  }
  return p;
}

struct Geometry {
  int32_t W, H;
};

// Awkward rectangles for a W x H frame: cut by each edge, reaching into the neighbouring row,
// one pixel wide, wider than the frame, the whole frame, empty.
std::vector<CRectT> AwkwardRects(int32_t W, int32_t H) {
  return {
      MakeRect(3, 4, 5, 6),                // inside
      MakeRect(-3, 2, 6, 4),               // cut by the left edge: the tail of the row above
      MakeRect(2, -3, 4, 6),               // cut by the top edge
      MakeRect(W - 3, 3, 8, 4),            // cut by the right edge: the head of the row below
      MakeRect(3, H - 2, 4, 8),            // cut by the bottom edge
      MakeRect(-5, -5, 10, 10),            // top-left corner
      MakeRect(W - 4, H - 3, 10, 10),      // bottom-right corner
      MakeRect(W + 7, -1, 5, 1),           // a row above the frame reaching into the first row
      MakeRect(-W - 7, H, 10, 1),          // a row below the frame reaching back into it
      MakeRect(0, 0, 1, H),                // first column
      MakeRect(W - 1, 0, 1, H),            // last column
      MakeRect(W - 1, H - 1, 1, 1),        // the last pixel
      MakeRect(0, H / 2, W, 1),            // one full row
      MakeRect(-10, 2, W + 27, 3),         // wider than the frame
      MakeRect(0, 0, 3 * W, 2),            // much wider than the frame
      MakeRect(0, 0, W, H),                // the whole frame
      MakeRect(-2 * W, -H, 5 * W, 3 * H),  // all of it and more
      MakeRect(5, 5, 0, 4),                // empty
      MakeRect(5, 5, 4, 0),
      MakeRect(5, 5, -3, 4),
      MakeRect(0, H, W, 3),   // wholly below
      MakeRect(0, -4, W, 4),  // wholly above
  };
}

std::string Describe(const CRectT& r) {
  return "rect (" + std::to_string(r.m_x) + ", " + std::to_string(r.m_y) + ", " +
         std::to_string(r.m_width) + ", " + std::to_string(r.m_height) + ")";
}

TEST(DiffFrames, MatchesPixelDefinitionOnAwkwardRectangles) {
  for (const Geometry g : {Geometry{23, 17}, Geometry{320, 320}}) {
    const FramePair frames = RandomFrames(g.W, g.H, static_cast<uint32_t>(g.W * 1000 + g.H));
    for (const CRectT& rect : AwkwardRects(g.W, g.H)) {
      for (const int32_t threshold : {-1, -7, 0, 13, 15, 254, 255, 300}) {
        SCOPED_TRACE(std::to_string(g.W) + "x" + std::to_string(g.H) + " " + Describe(rect) +
                     " threshold " + std::to_string(threshold));
        // Untouched pixels must keep what the buffers held before.
        Image mask(frames.frame.size(), 77), difference(frames.frame.size(), 66);
        Image wantMask = mask, wantDifference = difference;
        PlainDiff(threshold, wantMask, wantDifference, frames.background, frames.frame, rect, g.W,
                  g.H);
        DiffFrames(threshold, mask.data(), difference.data(), frames.background.data(),
                   frames.frame.data(), rect, g.W, g.H);
        ASSERT_EQ(mask, wantMask);
        ASSERT_EQ(difference, wantDifference);
      }
    }
  }
}

TEST(DiffFrames, ThresholdAndBrightnessLimitPerPixel) {
  // One pixel per row: background, frame, threshold -> difference, mask.
  struct Row {
    uint8_t background, frame;
    int32_t threshold;
    uint8_t difference, mask;
  };
  const Row rows[] = {
      {100, 115, -1, 15, 0},     // 15 is not above the default threshold
      {100, 116, -1, 255, 0},    // above it, but the frame pixel is not brighter than 119
      {100, 120, -1, 255, 255},  // moved and bright
      {140, 120, -1, 255, 255},  // darker than the background counts the same
      {200, 119, -1, 255, 0},    // 119 itself is not bright
      {120, 120, 0, 0, 0},       // no change is never moved, even at threshold 0
      {120, 121, 0, 255, 255},
      {100, 113, 13, 13, 0},
      {100, 114, 13, 255, 0},
      {0, 255, 254, 255, 255},
      {1, 255, 254, 254, 0},
      {0, 255, 255, 255, 0},  // a difference of 255 is not above 255: it stays 255 as measured
      {0, 200, 300, 200, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.background) + " vs " + std::to_string(row.frame) +
                 " threshold " + std::to_string(row.threshold));
    uint8_t mask = 9, difference = 9;
    DiffFrames(row.threshold, &mask, &difference, &row.background, &row.frame, MakeRect(0, 0, 1, 1),
               1, 1);
    EXPECT_EQ(difference, row.difference);
    EXPECT_EQ(mask, row.mask);
  }
}

TEST(ClearRect, MatchesPixelDefinitionOnAwkwardRectangles) {
  for (const Geometry g : {Geometry{23, 17}, Geometry{320, 320}}) {
    const FramePair frames = RandomFrames(g.W, g.H, 7u + static_cast<uint32_t>(g.W));
    Image before = frames.background;
    for (uint8_t& v : before) v = static_cast<uint8_t>(v | 1);  // nothing is 0 yet
    for (const CRectT& rect : AwkwardRects(g.W, g.H)) {
      SCOPED_TRACE(std::to_string(g.W) + "x" + std::to_string(g.H) + " " + Describe(rect));
      Image image = before, want = before;
      PlainClear(rect, want, g.W, g.H);
      ClearRect(rect, image.data(), g.W, g.H);
      ASSERT_EQ(image, want);
    }
  }
}

}  // namespace
