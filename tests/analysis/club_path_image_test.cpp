// The club-path picture: crop around the ball, enlargement, turn and the bitmap it is saved as.
#include "analysis/club_path_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>

#include "club_path_frames.h"
#include "support/temp_dir.h"

namespace {

using club_path_test::ColumnFrame;
using club_path_test::CornerMarkFrame;
using club_path_test::Frame;
using club_path_test::RowFrame;
using test_support::ReadBytes;
using test_support::TempDir;

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  for (int k = 3; k >= 0; --k) v = v << 8 | static_cast<uint8_t>(b[at + k]);
  return v;
}
uint32_t U16(const std::string& b, size_t at) {
  return static_cast<uint8_t>(b[at]) | static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 8;
}

// The saved bitmap, read by its header.
struct Bmp {
  std::string bytes;
  int32_t width = 0, height = 0, stride = 0;

  explicit Bmp(const std::string& path) : bytes(ReadBytes(path)) {
    if (bytes.size() < 1078) return;
    width = static_cast<int32_t>(U32(bytes, 18));
    height = static_cast<int32_t>(U32(bytes, 22));
    stride = (width + 3) / 4 * 4;
  }
  // x from the left, y from the bottom.
  int At(int32_t x, int32_t y) const {
    return static_cast<uint8_t>(bytes[1078 + static_cast<size_t>(y) * stride + x]);
  }
};

Bmp Save(const TempDir& dir, const Frame& frame, int32_t x, float angle) {
  const std::string path = dir.File("club_path.bmp");
  std::filesystem::remove(path);
  EXPECT_TRUE(WriteClubPathImage(frame.width, frame.data(), path.c_str(), frame.height, x, angle));
  return Bmp(path);
}

TEST(ClubPathImage, IsAnUncompressedGreyBitmap) {
  TempDir dir;
  struct Case {
    float angle;
    int32_t width, height, stride;
  };
  for (const Case c : {Case{0, 320, 400, 320}, Case{-3, 342, 418, 344}}) {
    SCOPED_TRACE(c.angle);
    const Bmp bmp = Save(dir, CornerMarkFrame(320, 240, 20), 100, c.angle);
    const std::string& b = bmp.bytes;
    const uint32_t imageBytes = static_cast<uint32_t>(c.stride * c.height);
    ASSERT_EQ(b.size(), 1078 + imageBytes);
    EXPECT_EQ(b.substr(0, 2), "BM");
    EXPECT_EQ(U32(b, 2), 1078 + imageBytes);
    EXPECT_EQ(U32(b, 6), 0u);  // reserved
    EXPECT_EQ(U32(b, 10), 1078u);
    EXPECT_EQ(U32(b, 14), 40u);
    EXPECT_EQ(static_cast<int32_t>(U32(b, 18)), c.width);
    EXPECT_EQ(static_cast<int32_t>(U32(b, 22)), c.height);  // positive: bottom row first
    EXPECT_EQ(U16(b, 26), 1u);
    EXPECT_EQ(U16(b, 28), 8u);
    EXPECT_EQ(U32(b, 30), 0u);
    EXPECT_EQ(U32(b, 34), imageBytes);
    EXPECT_EQ(U32(b, 38), 3780u);
    EXPECT_EQ(U32(b, 42), 3780u);
    EXPECT_EQ(U32(b, 46), 256u);
    EXPECT_EQ(U32(b, 50), 0u);
    for (uint32_t k = 0; k < 256; ++k) EXPECT_EQ(U32(b, 54 + 4 * k), k * 0x010101u) << k;
    for (int32_t y = 0; y < c.height; ++y) {
      for (int32_t x = c.width; x < c.stride; ++x) ASSERT_EQ(bmp.At(x, y), 0) << "padding";
    }
  }
}

TEST(ClubPathImage, RefusesFramesTooSmallForTheCrop) {
  TempDir dir;
  struct Case {
    int32_t width, height, x;
    bool written;
  };
  for (const Case c :
       {Case{159, 240, 100, false}, Case{320, 199, 100, false}, Case{160, 200, 80, true},
        Case{320, 240, -80, false}, Case{320, 240, 400, false}}) {
    SCOPED_TRACE(std::to_string(c.width) + " x " + std::to_string(c.height) + " at " +
                 std::to_string(c.x));
    const std::string path = dir.File("club_path.bmp");
    std::filesystem::remove(path);
    const Frame frame = ColumnFrame(c.width, c.height);
    EXPECT_EQ(WriteClubPathImage(c.width, frame.data(), path.c_str(), c.height, c.x, 0), c.written);
    EXPECT_EQ(std::filesystem::exists(path), c.written);
  }
}

TEST(ClubPathImage, SucceedsEvenWhenTheFileCannotBeCreated) {
  TempDir dir;
  const Frame frame = ColumnFrame(320, 240);
  const std::string path = dir.File("missing/club_path.bmp");
  EXPECT_TRUE(WriteClubPathImage(320, frame.data(), path.c_str(), 240, 100, -3));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ClubPathImage, CropsUpToEightyColumnsEachSideOfTheBallCutAtTheFrame) {
  TempDir dir;
  struct Case {
    int32_t x, left, width;
  };
  const Case cases[] = {
      {40, 0, 120},     // close to the left edge
      {200, 120, 160},  // in the open
      {80, 0, 160},    {81, 1, 160},
      {0, 0, 80},      {290, 210, 110},  // cut at the right edge of the 320 wide frame
  };
  const Frame frame = ColumnFrame(320, 240);
  for (const Case& c : cases) {
    SCOPED_TRACE("x = " + std::to_string(c.x));
    const Bmp bmp = Save(dir, frame, c.x, 0);
    ASSERT_EQ(bmp.width, 320);
    // Crop columns as offsets from the left one; the values wrap at 256.
    const auto offset = [&](int32_t tx) { return static_cast<uint8_t>(bmp.At(tx, 0) - c.left); };
    EXPECT_EQ(offset(0), 0);
    EXPECT_EQ(offset(319), c.width - 1);
    for (int32_t tx = 1; tx < 320; ++tx) {
      const int step = offset(tx) - offset(tx - 1);
      ASSERT_TRUE(step == 0 || step == 1) << "column " << tx;
      if (c.width == 160) {
        ASSERT_EQ(offset(tx), tx / 2) << "column " << tx;
      }
    }
    for (int32_t y = 1; y < 400; ++y) ASSERT_EQ(bmp.At(200, y), bmp.At(200, 0)) << "row " << y;
  }
}

TEST(ClubPathImage, ShowsTheBottomRowsOfTheFrameUprightAndDoubled) {
  TempDir dir;
  const Bmp bmp = Save(dir, RowFrame(320, 240), 100, 0);
  ASSERT_EQ(bmp.height, 400);
  // Picture row t from the top shows frame row 40 + t / 2; the bitmap stores the bottom row first.
  for (int32_t t = 0; t < 400; ++t) {
    ASSERT_EQ(bmp.At(0, 399 - t), 40 + t / 2) << "row " << t << " from the top";
    ASSERT_EQ(bmp.At(319, 399 - t), 40 + t / 2) << "row " << t << " from the top";
  }
}

TEST(ClubPathImage, TurnsThePictureAboutItsBottomLeftCorner) {
  TempDir dir;
  for (const auto& turn : club_path_test::kTurnCases) {
    SCOPED_TRACE(turn.angle);
    const Bmp columns = Save(dir, ColumnFrame(320, 240), 100, turn.angle);
    const Bmp rows = Save(dir, RowFrame(320, 240), 100, turn.angle);
    ASSERT_EQ(columns.width, turn.width);
    ASSERT_EQ(columns.height, turn.height);
    for (const auto& p : turn.points) {
      SCOPED_TRACE(std::to_string(p.i) + ", " + std::to_string(p.j));
      EXPECT_EQ(columns.At(p.i, p.j), club_path_test::ColumnAt(p.x));
      EXPECT_EQ(rows.At(p.i, p.j), club_path_test::RowAt(p.y));
    }
  }
}

TEST(ClubPathImage, FillsAroundTheTurnedPictureWithItsBottomLeftPixel) {
  TempDir dir;
  const Bmp bmp = Save(dir, CornerMarkFrame(320, 240, 20), 100, -3);
  ASSERT_EQ(bmp.width, 342);
  ASSERT_EQ(bmp.height, 418);
  for (const auto& [x, y] : {std::pair{0, 0}, std::pair{341, 0}, std::pair{0, 417},
                             std::pair{341, 417}, std::pair{20, 0}}) {
    EXPECT_EQ(bmp.At(x, y), 9) << x << ", " << y;
  }
  EXPECT_EQ(bmp.At(21, 0), 9);  // the corner itself, turned onto the box's bottom edge
  EXPECT_EQ(bmp.At(170, 209), 200);
}

}  // namespace
