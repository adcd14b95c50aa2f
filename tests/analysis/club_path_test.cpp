// The club's path through the strike, the shot shape it gives against the ball's direction, the
// side spin with its fallback on the ball's direction alone, and the back spin.
#include "analysis/club_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>

#include "analysis/speed_selection.h"
#include "shot_run_fixture.h"

namespace {

using test_support::TempDir;

constexpr int32_t kPatchWidth = 12;
constexpr int32_t kPatchHeight = 16;

// A shot with the ball at rest at (150, 200) and nothing moving in any frame unless a test draws
// a club patch: into prev1 for the club before the strike, into a shot frame for the club after
// it. The background (prev4) stays black.
struct ClubShot {
  TempDir dir;
  RunOnCamera on;

  ClubShot(int32_t clubType, int32_t hand, float speed, float hAngle) : on(SENSOR_MAIN, clubType) {
    CMainCamera& camera = on.camera();
    camera.m_foundBallArea = MakeRect(150, 200, 23, 22);
    camera.m_speed = speed;
    camera.m_HAngle = hAngle;
    camera.m_ballAreaForHAngle = MakeRect(170, 130, 22, 22);
    on.run.track.handedness = hand;
    on.RecordInto(dir);
  }

  CMainCamera& camera() { return on.camera(); }

  void Paint(uint8_t* image, int32_t x, int32_t y) {
    for (int32_t r = y; r < y + kPatchHeight; ++r) {
      for (int32_t c = x; c < x + kPatchWidth; ++c) image[r * on.run.W + c] = 255;
    }
  }
  // The club below the ball in the frame before the strike.
  void ClubBefore(int32_t x, int32_t y) { Paint(camera().m_buffers.preShot[0].get(), x, y); }
  // The ball kept in shot frame m with a speed, and the club above the rest place there.
  void ClubAfter(int32_t m, int32_t x, int32_t y) {
    KeepBall(m);
    Paint(on.run.ShotFrame(m), x, y);
  }
  void KeepBall(int32_t m) {
    camera().m_balls[m].m_ball.m_rect = MakeRect(140, 120, 22, 22);
    camera().m_balls[m].m_ball.m_speed = 30;
  }

  std::string ClubLine() const { return on.LogLine("-> side spin - startX"); }
  bool HasFile(const std::string& name) const { return std::filesystem::exists(dir.path() / name); }
};

std::string ClubLineText(int32_t sx, int32_t sy, int32_t ex, int32_t ey) {
  return "-> side spin - startX : " + std::to_string(sx) + ", startY : " + std::to_string(sy) +
         ", endX : " + std::to_string(ex) + ", endY : " + std::to_string(ey) + " <-";
}

// The first 12 x 16 box of the search that holds more than 134 bright pixels overlaps a drawn
// patch by 9 columns and 15 rows: 3 columns inside it on the side the search comes from, one row
// below its top (rows are searched upwards).
//   Right-handed, club before at (200, 215) -> start (203, 216);
//   club after at (230, 150) -> end (233, 151); at (170, 165) -> end (173, 166).
//   Left-handed, club before at (100, 215) -> start (97, 216); after at (60, 165) -> end (57, 166).
// With H = 320 and the ball row y 130 (Y = 190 from the bottom), the club line
// Y = b + k X crosses the ball's row at x = (190 - b) / k.
TEST(ClubPath, ClassifiesTheClubLineAgainstTheBallDirection) {
  struct Row {
    const char* what;
    int32_t clubType, hand;
    float speed, hAngle;
    int32_t beforeX, beforeY, afterX, afterY, ballX;
    int32_t startX, startY, endX, endY;
    double crossingX;  // where the club line crosses the ball's row
    double expectedSpin;
    int32_t expectedClass;
  };
  // s = speed * 7 / 100 = 3.5 at 50.
  const Row rows[] = {
      // D = 203 - 233 = -30, k = (151 - 216) / -30 = 2, b = 104 - 406 = -302, x = 246.
      {"in-out, ball inside the line: draw", CLUB_DRIVER, HAND_RIGHT, 50, 2, 200, 215, 230, 150,
       170, 203, 216, 233, 151, 246, 3.5 * (-30 * 120) * 10 / 100, PATH_IN_OUT_DRAW},
      {"in-out, ball beyond the line: slice", CLUB_DRIVER, HAND_RIGHT, 50, 2, 200, 215, 230, 150,
       260, 203, 216, 233, 151, 246, 3.5 * ((260 - 246) * 120) * 8 / 100, PATH_IN_OUT_SLICE},
      {"draw with an iron", CLUB_IRON, HAND_RIGHT, 50, 2, 200, 215, 230, 150, 170, 203, 216, 233,
       151, 246, 3.5 * (-30 * 120) * 10 / 100 * 0.85, PATH_IN_OUT_DRAW},
      // D = 203 - 173 = 30, k = (166 - 216) / 30 = -1, b = 104 + 203 = 307, x = 117.
      {"out-in, ball inside the line: hook", CLUB_DRIVER, HAND_RIGHT, 50, -2, 200, 215, 170, 165,
       100, 203, 216, 173, 166, 117, 3.5 * ((117 - 100) * 120 * -1) * 8 / 100, PATH_OUT_IN_HOOK},
      {"out-in, ball beyond the line: fade", CLUB_DRIVER, HAND_RIGHT, 50, -2, 200, 215, 170, 165,
       130, 203, 216, 173, 166, 117, 3.5 * (30 * 120) * 10 / 100, PATH_OUT_IN_FADE},
      {"out-in, ball on the line: fade", CLUB_DRIVER, HAND_RIGHT, 50, -2, 200, 215, 170, 165, 117,
       203, 216, 173, 166, 117, 3.5 * (30 * 120) * 10 / 100, PATH_OUT_IN_FADE},
      {"out-in club, ball to the right", CLUB_DRIVER, HAND_RIGHT, 50, 2, 200, 215, 170, 165, 130,
       203, 216, 173, 166, 117, 30 * 0.5 * 2 * 0.5 * 120 * 3.5 * 17 / 100, PATH_SLICE_SIDE},
      // s = 7: the fade would be 2520, beyond the limit: the ball's direction alone.
      {"too large a spin falls back", CLUB_DRIVER, HAND_RIGHT, 100, -2, 200, 215, 170, 165, 130,
       203, 216, 173, 166, 117, 7 * (-2 * 120) * 17 / 100.0, PATH_HOOK_SIDE},
      // D = -70, k = (189 - 216) / -70 = 0, replaced by 0.0000001: b = 104, x = 86 / 0.0000001.
      {"flat club line", CLUB_DRIVER, HAND_RIGHT, 20, 2, 200, 215, 270, 188, 170, 203, 216, 273,
       189, 86 / 0.0000001, 1.4 * (-70 * 120) * 10 / 100, PATH_IN_OUT_DRAW},
      // D = 0: no shape, and a zero spin becomes the hook side's smallest whatever the angle.
      // k = (151 - 216) / 1 = -65, b = 104 + 203 * 65 = 13299.
      {"club straight up the picture", CLUB_DRIVER, HAND_RIGHT, 50, 2, 200, 215, 200, 150, 170, 203,
       216, 203, 151, (190.0 - 13299) / -65, -152.8, PATH_HOOK_SIDE},
      // D = 97 - 57 = 40, k = (166 - 216) / 40 = -1, b = 104 + 97 = 201, x = 11.
      {"left-handed fade", CLUB_DRIVER, HAND_LEFT, 50, -2, 100, 215, 60, 165, 100, 97, 216, 57, 166,
       11, 3.5 * (40 * 120) * 10 / 100, PATH_OUT_IN_FADE},
      {"left-handed hook", CLUB_DRIVER, HAND_LEFT, 50, -2, 100, 215, 60, 165, 5, 97, 216, 57, 166,
       11, 3.5 * ((11 - 5) * 120 * -1) * 8 / 100, PATH_OUT_IN_HOOK},
      // The left-handed search reaches under the ball up to its right edge (x < 150 + 23).
      // D = 152 - 100 = 52, k = (151 - 226) / 52 = -1, b = 94 + 152 = 246, x = 56.
      {"left-handed, club under the ball", CLUB_DRIVER, HAND_LEFT, 50, -2, 155, 225, 103, 150, 100,
       152, 226, 100, 151, 56, 3.5 * (52 * 120) * 10 / 100, PATH_OUT_IN_FADE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ClubShot shot(row.clubType, row.hand, row.speed, row.hAngle);
    shot.ClubBefore(row.beforeX, row.beforeY);
    shot.ClubAfter(1, row.afterX, row.afterY);
    shot.camera().m_ballAreaForHAngle.m_x = row.ballX;
    MeasureClubPathAndSideSpin(shot.on.run);
    // The pictures are written once the shot is out.
    shot.on.run.WritePendingFiles();
    EXPECT_EQ(shot.ClubLine(), ClubLineText(row.startX, row.startY, row.endX, row.endY));
    const std::string crossing = shot.on.LogLine("-> side spin - m_ballAreaForHAngle.m_x");
    const std::string ballPart = "m_x : " + std::to_string(row.ballX) + ", x : ";
    ASSERT_NE(crossing.find(ballPart), std::string::npos) << crossing;
    EXPECT_NEAR(std::stod(crossing.substr(crossing.find(ballPart) + ballPart.size())),
                row.crossingX, std::abs(row.crossingX) * 1e-9 + 1e-6);
    EXPECT_FLOAT_EQ(shot.camera().m_sideSpin, static_cast<float>(row.expectedSpin));
    EXPECT_EQ(shot.camera().m_clubPathClass, row.expectedClass);
  }
}

// Pixel (x, y) of a 320 x 320 frame dump: the bottom quarter of the rows comes first, each
// quarter followed by 30 filler bytes.
uint8_t DumpPixel(const std::string& dump, int32_t x, int32_t y) {
  const size_t quarter = 320 * 80 + 30;
  return static_cast<uint8_t>(dump[(3 - y / 80) * quarter + (y % 80) * 320 + x]);
}

bool Inside(const CRectT& r, int32_t x, int32_t y) {
  return x >= r.m_x && x < r.m_x + r.m_width && y >= r.m_y && y < r.m_y + r.m_height;
}

// Everything moved in both frames: the difference images show what the searches look at, below
// the ball's top row (rest place) and the flying ball's top row, without the ball itself.
TEST(ClubPath, DifferenceImagesLeaveOutTheBall) {
  struct Row {
    int32_t hand;
    int32_t startX, startY, endX, endY;
  };
  // The clamped box at x 311 is 9 columns wide: 144 bright pixels.
  for (const Row row : {Row{HAND_RIGHT, 311, 244, 311, 189}, Row{HAND_LEFT, 0, 244, 0, 189}}) {
    SCOPED_TRACE(row.hand);
    ClubShot shot(CLUB_IRON, row.hand, 50, 2);
    std::memset(shot.camera().m_buffers.preShot[0].get(), 255, 320 * 320);
    std::memset(shot.on.run.ShotFrame(1), 255, 320 * 320);
    shot.KeepBall(1);  // at (140, 120)
    MeasureClubPathAndSideSpin(shot.on.run);
    // The pictures are written once the shot is out.
    shot.on.run.WritePendingFiles();
    EXPECT_EQ(shot.ClubLine(), ClubLineText(row.startX, row.startY, row.endX, row.endY));

    const std::string first =
        test_support::ReadBytes(shot.dir.File("image_club_path_first_image.bmp"));
    const std::string second =
        test_support::ReadBytes(shot.dir.File("image_club_path_second_image_1.bmp"));
    ASSERT_EQ(first.size(), 102520u);
    ASSERT_EQ(second.size(), 102520u);
    const CRectT restBall = MakeRect(150, 200, 22, 22);
    const CRectT cleared[] = {MakeRect(152, 200, 18, 22), MakeRect(141, 120, 21, 39),
                              MakeRect(118, 120, 22, 39), MakeRect(162, 120, 22, 39)};
    int wrongFirst = 0, wrongSecond = 0;
    for (int32_t y = 0; y < 320; ++y) {
      for (int32_t x = 0; x < 320; ++x) {
        const uint8_t wantFirst = y >= 200 && !Inside(restBall, x, y) ? 255 : 0;
        bool clear = y < 120;
        for (const CRectT& r : cleared) clear = clear || Inside(r, x, y);
        const uint8_t wantSecond = clear ? 0 : 255;
        wrongFirst += DumpPixel(first, x, y) != wantFirst;
        wrongSecond += DumpPixel(second, x, y) != wantSecond;
      }
    }
    EXPECT_EQ(wrongFirst, 0);
    EXPECT_EQ(wrongSecond, 0);
  }
}

TEST(ClubPath, MainCameraTakesTheBallBetweenBothCameras) {
  // Own ball x 90 and the side camera's 250 meet at 170; the angles 0 and 4 at 2: the draw of
  // the first classification row.
  ClubShot shot(CLUB_DRIVER, HAND_RIGHT, 50, 0);
  shot.ClubBefore(200, 215);
  shot.ClubAfter(1, 230, 150);
  shot.camera().m_ballAreaForHAngle.m_x = 90;
  shot.on.run.fromSide.speedTopSide = 45;
  shot.on.run.fromSide.HAngleTopSide = 4;
  shot.on.run.fromSide.rect = MakeRect(250, 128, 22, 22);
  MeasureClubPathAndSideSpin(shot.on.run);
  // The pictures are written once the shot is out.
  shot.on.run.WritePendingFiles();
  EXPECT_EQ(shot.camera().m_ballAreaForHAngle.m_x, 170);
  EXPECT_FLOAT_EQ(shot.camera().m_sideSpin, static_cast<float>(3.5 * (-30 * 120) * 10 / 100));
  EXPECT_EQ(shot.camera().m_clubPathClass, PATH_IN_OUT_DRAW);
  EXPECT_EQ(shot.camera().m_HAngle, 0.0f);  // the mean is for the classification only
}

TEST(SideSpin, BallDirectionAloneWithoutAClubLine) {
  struct Row {
    const char* what;
    int32_t sensorType, clubType;
    float speed, hAngle, sideHAngle;
    float expectedSpin;
    int32_t expectedClass;
  };
  const Row rows[] = {
      // 3.5 x 240 x 0.17
      {"driver", SENSOR_MAIN, CLUB_DRIVER, 50, 2, kNotMeasured, 142.8f, PATH_SLICE_SIDE},
      {"iron", SENSOR_MAIN, CLUB_IRON, 50, 2, kNotMeasured, 121.38f, PATH_SLICE_SIDE},
      {"rough", SENSOR_MAIN, CLUB_ROUGH, 50, 2, kNotMeasured, 121.38f, PATH_SLICE_SIDE},
      {"bunker", SENSOR_MAIN, CLUB_BUNKER, 50, 2, kNotMeasured, 121.38f, PATH_SLICE_SIDE},
      {"to the left", SENSOR_MAIN, CLUB_DRIVER, 50, -2, kNotMeasured, -142.8f, PATH_HOOK_SIDE},
      {"straight: the hook side's smallest spin", SENSOR_MAIN, CLUB_DRIVER, 50, 0, kNotMeasured,
       -152.8f, PATH_HOOK_SIDE},
      {"straight iron", SENSOR_MAIN, CLUB_IRON, 50, 0, kNotMeasured, -152.8f, PATH_HOOK_SIDE},
      {"no speed", SENSOR_MAIN, CLUB_DRIVER, 0, 2, kNotMeasured, -152.8f, PATH_HOOK_SIDE},
      {"main camera: mean of both angles", SENSOR_MAIN, CLUB_DRIVER, 50, 0, 4, 142.8f,
       PATH_SLICE_SIDE},
      {"side camera: its own angle", SENSOR_SIDE, CLUB_DRIVER, 50, 2, 10, 142.8f, PATH_SLICE_SIDE},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TempDir dir;
    RunOnCamera on(row.sensorType, row.clubType);
    on.RecordInto(dir);
    CMainCamera& camera = on.camera();
    camera.m_foundBallArea = MakeRect(150, 200, 23, 22);
    camera.m_speed = row.speed;
    camera.m_HAngle = row.hAngle;
    on.run.fromSide.HAngleTopSide = row.sideHAngle;
    on.run.track.handedness = HAND_RIGHT;
    camera.m_balls[1].m_ball = CBall{MakeRect(140, 120, 22, 22), 30, kNotMeasured, 2};
    MeasureClubPathAndSideSpin(on.run);
    // The pictures are written once the shot is out.
    on.run.WritePendingFiles();
    EXPECT_FLOAT_EQ(camera.m_sideSpin, row.expectedSpin);
    EXPECT_EQ(camera.m_clubPathClass, row.expectedClass);
    EXPECT_EQ(on.LogLine("-> side spin - startX"), ClubLineText(-1, -1, -1, -1));
  }
}

TEST(SideSpin, BunkerIgnoresTheClubButStillRecordsIt) {
  ClubShot shot(CLUB_BUNKER, HAND_RIGHT, 50, 2);
  shot.ClubBefore(200, 215);
  shot.ClubAfter(1, 230, 150);
  MeasureClubPathAndSideSpin(shot.on.run);
  // The pictures are written once the shot is out.
  shot.on.run.WritePendingFiles();
  EXPECT_FLOAT_EQ(shot.camera().m_sideSpin, 121.38f);
  EXPECT_EQ(shot.camera().m_clubPathClass, PATH_SLICE_SIDE);
  EXPECT_EQ(shot.ClubLine(), ClubLineText(-1, -1, -1, -1));
  for (const char* name :
       {"image_club_path_first_image.bmp", "image_club_path_second_image_1.bmp"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(shot.HasFile(name));
    EXPECT_EQ(std::filesystem::file_size(shot.dir.path() / name), 102520u);
  }
}

TEST(ClubPath, FrameAfterTheStrike) {
  struct Row {
    const char* what;
    int32_t setting;
    bool slot0, slot1, slot2, slot3;
    int32_t expectedFrame;  // -1: no club end
  };
  const Row rows[] = {
      {"configured frame 2", 2, false, true, true, false, 2},
      {"frame 2 without a speed: frame 1", 2, false, true, false, false, 1},
      {"frame 2 alone", 2, false, false, true, false, 2},
      {"neither frame 1 nor 2", 2, false, false, false, true, -1},
      {"configured frame 1", 1, false, true, true, false, 1},
      {"configured frame 0 with a speed", 0, true, true, false, false, 0},
      {"configured frame 0 without one", 0, false, true, false, false, 1},
      {"setting 3 is not a choice", 3, false, true, true, true, 1},
      {"setting -1 is not a choice", -1, true, true, true, false, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ClubShot shot(CLUB_IRON, HAND_RIGHT, 50, 2);
    shot.camera().secondImgIndexForSideSpin = row.setting;
    const bool kept[] = {row.slot0, row.slot1, row.slot2, row.slot3};
    for (int32_t m = 0; m < 4; ++m) {
      if (kept[m]) shot.KeepBall(m);
    }
    MeasureClubPathAndSideSpin(shot.on.run);
    // The pictures are written once the shot is out.
    shot.on.run.WritePendingFiles();
    EXPECT_TRUE(shot.HasFile("image_club_path_first_image.bmp"));
    for (int32_t m = 0; m < 4; ++m) {
      SCOPED_TRACE(m);
      EXPECT_EQ(shot.HasFile("image_club_path_second_image_" + std::to_string(m) + ".bmp"),
                m == row.expectedFrame);
    }
  }
}

TEST(ClubPath, TriggerFrameIsNeverTheFrameAfterTheStrike) {
  ClubShot shot(CLUB_IRON, HAND_RIGHT, 50, 2);
  shot.camera().secondImgIndexForSideSpin = 0;
  for (int32_t m = 0; m < 3; ++m) shot.KeepBall(m);
  shot.on.run.track.foundCount = 3;
  ASSERT_EQ(SelectSpeed(shot.on.run), Step::kGoOn);
  MeasureClubPathAndSideSpin(shot.on.run);
  // The pictures are written once the shot is out.
  shot.on.run.WritePendingFiles();
  EXPECT_FALSE(shot.HasFile("image_club_path_second_image_0.bmp"));
  EXPECT_TRUE(shot.HasFile("image_club_path_second_image_1.bmp"));
}

TEST(BackSpin, FromSpeedAndVerticalAngle) {
  struct Row {
    float speed, vAngle;
    double expected;
  };
  const Row rows[] = {
      {95, 30, 2000},  // at 90 or faster: 2000 whatever the angle
      {95, 0, 2000},
      {90, 50, 2000},
      {120, 80, 2000},
      {60, 0, 2000},  // the side camera's own run: no vertical angle
      {50, 20, 40 * 0.5 * 20 * 2.42 + 2000},
      {0, 10, 90 * 0.5 * 10 * 2.42 + 2000},
      {89.5f, 45, 0.5 * 0.5 * 45 * 2.42 + 2000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.speed) + " m/s at " + std::to_string(row.vAngle));
    RunOnCamera on;
    on.camera().m_speed = row.speed;
    on.camera().m_VAngle = row.vAngle;
    ComputeBackSpin(on.run);
    EXPECT_FLOAT_EQ(on.camera().m_backSpin, static_cast<float>(row.expected));
  }
}

}  // namespace
