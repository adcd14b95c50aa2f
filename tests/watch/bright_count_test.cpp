#include "watch/bright_count.h"

#include <gtest/gtest.h>

#include <random>

#include "support/frame_drawing.h"

namespace {

// The count exactly as defined: columns outer, rows inner, any index inside the frame counts.
int32_t CountWhiteByDefinition(const CRectT& r, int32_t W, const uint8_t* image, int32_t level,
                               int32_t H) {
  int32_t count = 0;
  for (int64_t x = r.m_x; x < int64_t{r.m_x} + r.m_width; ++x) {
    for (int64_t y = r.m_y; y < int64_t{r.m_y} + r.m_height; ++y) {
      const int64_t index = y * W + x;
      if (index >= 0 && index < int64_t{W} * H && image[index] > level) ++count;
    }
  }
  return count;
}

TEST(CountWhite, MatchesTheDefinitionOnRandomRectanglesInAndOutOfTheFrame) {
  for (const auto& [W, H] : {std::pair{320, 320}, std::pair{37, 23}, std::pair{480, 480}}) {
    std::mt19937 rng(1234 + W);
    TestFrame frame(W, H);
    for (auto& p : frame.pixels) p = static_cast<uint8_t>(rng());
    std::uniform_int_distribution<int32_t> pos(-2 * W, 2 * W);
    std::uniform_int_distribution<int32_t> size(-5, W + 40);
    std::uniform_int_distribution<int32_t> level(-3, 258);
    for (int i = 0; i < 3000; ++i) {
      const CRectT r = MakeRect(pos(rng), pos(rng), size(rng), size(rng));
      const int32_t lv = level(rng);
      ASSERT_EQ(CountWhite(r, W, frame.data(), lv, H),
                CountWhiteByDefinition(r, W, frame.data(), lv, H))
          << "frame " << W << "x" << H << " rect " << r.m_x << "," << r.m_y << " " << r.m_width
          << "x" << r.m_height << " level " << lv;
    }
  }
}

TEST(CountWhite, CountsOnlyPixelsStrictlyBrighterThanTheLevel) {
  TestFrame frame(20, 20);
  frame.Fill(2, 2, 4, 4, 110);
  frame.Fill(10, 10, 3, 3, 111);
  EXPECT_EQ(CountWhite(MakeRect(0, 0, 20, 20), 20, frame.data(), 110, 20), 9);
  EXPECT_EQ(CountWhite(MakeRect(0, 0, 20, 20), 20, frame.data(), 109, 20), 25);
  EXPECT_EQ(CountWhite(MakeRect(0, 0, 0, 20), 20, frame.data(), 0, 20), 0);
  EXPECT_EQ(CountWhite(MakeRect(0, 0, 20, -1), 20, frame.data(), 0, 20), 0);
}

TEST(CountWhite, ColumnsBeyondTheRightEdgeWrapIntoTheNextRow) {
  TestFrame frame(10, 10);
  frame.Fill(0, 5, 2, 1, 200);  // first two pixels of row 5
  // Columns 10 and 11 of row 4 index the first two pixels of row 5.
  EXPECT_EQ(CountWhite(MakeRect(8, 4, 4, 1), 10, frame.data(), 100, 10), 2);
}

struct ClampCase {
  CRectT in;
  CRectT out;
};

TEST(ClampToImage, MovesLeftAndTopOverhangAndShortensRightAndBottom) {
  const ClampCase cases[] = {
      {MakeRect(10, 10, 20, 20), MakeRect(10, 10, 20, 20)},
      {MakeRect(-15, 5, 30, 40), MakeRect(0, 5, 30, 40)},        // moved, not shrunk
      {MakeRect(5, -24, 60, 40), MakeRect(5, 0, 60, 40)},        // trigger strip at the top
      {MakeRect(300, 300, 40, 40), MakeRect(300, 300, 20, 20)},  // cut at the far edges
      {MakeRect(400, 10, 10, 10), MakeRect(320, 10, 0, 10)},     // x = W leaves nothing
      {MakeRect(10, 10, INT32_MAX, INT32_MAX), MakeRect(10, 10, 310, 310)},
  };
  for (const auto& c : cases) {
    CRectT r = c.in;
    EXPECT_EQ(ClampToImage(r, 320, 320), c.out) << c.in.m_x << "," << c.in.m_y;
  }
}

TEST(IsBoxFilled, NeedsMoreThanTheTruncatedShareAndNeverFillsAnEmptyBox) {
  TestFrame frame(320, 320);
  // 17 x 17 box at 70 %: 289 x 70 / 100 = 202, so 203 bright pixels are needed.
  frame.Fill(0, 0, 17, 11, 200);  // 187
  frame.Fill(0, 11, 15, 1, 200);  // 202
  EXPECT_FALSE(IsBoxFilled(MakeRect(0, 0, 17, 17), frame.data(), 320, 320, 110, 70));
  frame.Fill(15, 11, 1, 1, 200);  // 203
  EXPECT_TRUE(IsBoxFilled(MakeRect(0, 0, 17, 17), frame.data(), 320, 320, 110, 70));

  frame.Fill(MakeRect(0, 0, 320, 320), 255);
  EXPECT_FALSE(IsBoxFilled(MakeRect(320, 10, 17, 17), frame.data(), 320, 320, 0, 0));
}

}  // namespace
