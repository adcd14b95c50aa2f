// Frame dumps: the headerless quarter layout the shot records and the replay share.
#include "analysis/frame_dump.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

// Every pixel differs from its neighbours, so a misplaced row or quarter shows.
std::vector<uint8_t> NoiseFrame(int32_t width, int32_t height) {
  std::vector<uint8_t> frame(static_cast<size_t>(width) * height);
  uint32_t state = 12345;
  for (auto& p : frame) {
    state = state * 1103515245u + 12345u;
    p = static_cast<uint8_t>(state >> 16);
  }
  return frame;
}

TEST(FrameDump, SizeIsFourQuartersAndFourFillers) {
  struct Case {
    int32_t width, height;
    int64_t bytes;
  };
  for (const Case c : {Case{320, 320, 102520}, Case{640, 480, 307320}, Case{5, 3, 132},
                       Case{1, 1, 120}, Case{0, 0, 120}, Case{-1, 4, -1}}) {
    EXPECT_EQ(FrameDumpBytes(c.width, c.height), c.bytes) << c.width << " x " << c.height;
  }
}

TEST(FrameDump, StoresTheBottomQuarterFirstEachFollowedByZeroFiller) {
  TempDir dir;
  const std::vector<uint8_t> frame = NoiseFrame(320, 320);
  ASSERT_TRUE(WriteFrameDump(frame.data(), 320, 320, dir.File("image_0.bmp").c_str()));
  const std::string file = ReadBytes(dir.File("image_0.bmp"));
  ASSERT_EQ(file.size(), 102520u);

  const auto rows = [&](int first, int count) {
    return std::string(frame.begin() + first * 320, frame.begin() + (first + count) * 320);
  };
  const std::string filler(kFrameDumpFillerBytes, '\0');
  EXPECT_EQ(file.substr(0, 25600), rows(240, 80));  // the first bytes are rows 240..319
  EXPECT_EQ(file.substr(25600, 30), filler);
  EXPECT_EQ(file.substr(25630, 25600), rows(160, 80));
  EXPECT_EQ(file.substr(51230, 30), filler);
  EXPECT_EQ(file.substr(51260, 25600), rows(80, 80));
  EXPECT_EQ(file.substr(76860, 30), filler);
  EXPECT_EQ(file.substr(76890, 25600), rows(0, 80));
  EXPECT_EQ(file.substr(102490, 30), filler);
}

TEST(FrameDump, ReadsBackWhatWasWritten) {
  TempDir dir;
  // 7 x 5 does not split into whole quarters: the dump keeps 32 of its 35 pixels.
  for (const auto& [width, height] : {std::pair{320, 320}, std::pair{640, 480}, std::pair{7, 5}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const std::vector<uint8_t> frame = NoiseFrame(width, height);
    const std::string path = dir.File("dump.bmp");
    ASSERT_TRUE(WriteFrameDump(frame.data(), width, height, path.c_str()));
    EXPECT_EQ(static_cast<int64_t>(ReadBytes(path).size()), FrameDumpBytes(width, height));

    std::vector<uint8_t> back(frame.size(), 0xAA);
    std::string error;
    ASSERT_TRUE(ReadFrameDump(path.c_str(), width, height, back.data(), &error)) << error;
    const size_t kept = frame.size() / 4 * 4;
    EXPECT_TRUE(std::equal(frame.begin(), frame.begin() + kept, back.begin()));
    for (size_t i = kept; i < back.size(); ++i) EXPECT_EQ(back[i], 0) << i;
  }
}

TEST(FrameDump, RefusesFilesThatAreNotADumpOfTheFrame) {
  TempDir dir;
  const std::vector<uint8_t> small = NoiseFrame(320, 240);
  ASSERT_TRUE(WriteFrameDump(small.data(), 320, 240, dir.File("image_1.bmp").c_str()));
  WriteBytes(dir.File("image_3.bmp"), std::string(1000, 'x'));
  WriteBytes(dir.File("raw.bmp"), std::string(320 * 320, 'x'));  // a frame without the layout
  std::filesystem::create_directory(dir.path() / "image_4.bmp");

  struct Case {
    std::string name;
    std::string reason;
  };
  const Case cases[] = {
      {"image_3.bmp", "image_3.bmp is 1000 bytes, a 320 x 320 frame dump has 102520"},
      {"image_1.bmp", "image_1.bmp is 76920 bytes, a 320 x 320 frame dump has 102520"},
      {"raw.bmp", "raw.bmp is 102400 bytes, a 320 x 320 frame dump has 102520"},
      {"image_2.bmp", "image_2.bmp"},  // missing
      {"image_4.bmp", "image_4.bmp"},  // a folder
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> out(320 * 320);
    std::string error;
    EXPECT_FALSE(ReadFrameDump(dir.File(c.name).c_str(), 320, 320, out.data(), &error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_FALSE(ReadFrameDump(dir.File(c.name).c_str(), 320, 320, out.data(), nullptr));
  }
}

TEST(FrameDump, WriteFailsWhenTheFileCannotBeCreated) {
  TempDir dir;
  const std::vector<uint8_t> frame = NoiseFrame(8, 8);
  EXPECT_FALSE(WriteFrameDump(frame.data(), 8, 8, dir.File("missing/image_0.bmp").c_str()));
}

TEST(FrameDump, SquareSideOfADumpSize) {
  struct Case {
    int64_t bytes;
    int32_t side;
  };
  const Case cases[] = {
      {102520, 320},
      {FrameDumpBytes(7, 7), 7},
      {124, 2},  // the smallest square dump that keeps a pixel
      {120, 0},
      {102521, 0},
      {102400, 0},  // a raw 320 x 320 frame
      {0, 0},
      {-5, 0},
      {FrameDumpBytes(46341, 46341), 46341},
      {std::numeric_limits<int64_t>::max(), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(SquareFrameSideOfDump(c.bytes), c.side) << c.bytes;
  // Exactly the dumps of square frames have a side, and odd sides (which drop a pixel) never
  // collide with even ones.
  int32_t sides = 1;  // a 1 x 1 frame keeps no pixel
  for (int64_t bytes = 0; bytes <= FrameDumpBytes(700, 700); ++bytes) {
    const int32_t side = SquareFrameSideOfDump(bytes);
    if (side == 0) continue;
    ASSERT_EQ(FrameDumpBytes(side, side), bytes);
    ASSERT_EQ(side, sides + 1);
    sides = side;
  }
  EXPECT_EQ(sides, 700);
}

}  // namespace
