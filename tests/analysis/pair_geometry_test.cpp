// Speed and horizontal angle of a pair of ball positions, the putter's speed curve and the side
// camera's positions in the main camera's scale.
#include "analysis/pair_geometry.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <string>

#include "shot_run_fixture.h"

namespace {

// The image ratio the examples use, as the camera holds it.
constexpr float kRatioF = 3.3f;
constexpr double kRatio = kRatioF;

// The angle of a ball d pixels left of the rest centre (negative d: to the right), seen over a
// flight distance v.
float Angle(double d, double v) {
  return static_cast<float>(-std::atan(d / v) * 180 / 3.1415926535);
}

std::string RectText(const CRectT& r) {
  return "(" + std::to_string(r.m_x) + ", " + std::to_string(r.m_y) + ", " +
         std::to_string(r.m_width) + ", " + std::to_string(r.m_height) + ")";
}

TEST(PairHAngle, AngleFromTheRestCentre) {
  // 20 px of flight with the example ratio.
  const double v20 = kRatio * 20 / 2.07;
  struct Row {
    const char* what;
    int32_t sensorType, clubType;
    CRectT rest, ball;
    float expected;
  };
  const Row rows[] = {
      {"straight up", SENSOR_MAIN, CLUB_IRON, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 22, 22), 0.0f},
      {"10 px right", SENSOR_MAIN, CLUB_IRON, MakeRect(150, 200, 22, 22),
       MakeRect(160, 180, 22, 22), Angle(-10, v20)},
      {"10 px left", SENSOR_MAIN, CLUB_DRIVER, MakeRect(150, 200, 22, 22),
       MakeRect(140, 180, 22, 22), Angle(10, v20)},
      {"centres compared, not corners", SENSOR_MAIN, CLUB_IRON, MakeRect(150, 200, 23, 22),
       MakeRect(150, 180, 22, 22), Angle(0.5, v20)},
      {"no flight distance", SENSOR_MAIN, CLUB_IRON, MakeRect(150, 200, 22, 22),
       MakeRect(160, 200, 22, 22), Angle(-10, 0.0000001)},
      {"below the rest row", SENSOR_MAIN, CLUB_IRON, MakeRect(150, 200, 22, 22),
       MakeRect(160, 220, 22, 22), Angle(-10, -v20)},
      // The putter sees 50 % more flight, and raises a right angle above 1 degree by 30 %.
      {"putt to the right", SENSOR_MAIN, CLUB_PUTTER, MakeRect(150, 200, 22, 22),
       MakeRect(160, 180, 22, 22),
       [&] {
         const double a = -std::atan(-10 / (v20 * 1.5)) * 180 / 3.1415926535;
         return static_cast<float>(a + a * 30 / 100);
       }()},
      {"putt to the left", SENSOR_MAIN, CLUB_PUTTER, MakeRect(150, 200, 22, 22),
       MakeRect(140, 180, 22, 22), Angle(10, v20 * 1.5)},
      {"putt just right", SENSOR_MAIN, CLUB_PUTTER, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 23, 22), Angle(-0.5, v20 * 1.5)},
      {"check-view camera", SENSOR_CHECK_VIEW, CLUB_IRON, MakeRect(150, 200, 22, 22),
       MakeRect(160, 180, 22, 22), Angle(-10, kRatio * 20 / 2.42)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RunOnCamera on(row.sensorType, row.clubType);
    on.camera().meterForImageRatio = kRatioF;
    on.camera().m_foundBallArea = row.rest;
    EXPECT_FLOAT_EQ(PairHAngle(on.run, row.ball, 3), row.expected);
  }
}

TEST(PairHAngle, TenPixelsRightIsAboutSeventeenDegrees) {
  RunOnCamera on;
  on.camera().meterForImageRatio = kRatioF;
  on.camera().m_foundBallArea = MakeRect(150, 200, 22, 22);
  EXPECT_NEAR(PairHAngle(on.run, MakeRect(160, 180, 22, 22), 1), 17.4, 0.05);
}

TEST(PairHAngle, SideCameraComparesPositionsInTheMainCamerasScale) {
  // Both cameras' tee column is x 160; the peer's image is twice as wide left of it, so the
  // rest position (10 px left of the tee) maps to 140 and the ball (20 px left) to 120.
  const double v20 = kRatio * 20 / 2.07;
  struct Row {
    int32_t sensorType;
    float expected;
  };
  for (const Row row : {Row{SENSOR_SIDE, Angle(20, v20)}, Row{SENSOR_MAIN, Angle(10, v20)}}) {
    SCOPED_TRACE(row.sensorType);
    RunOnCamera on(row.sensorType);
    CMainCamera peer;
    peer.leftImageWidthFromTeePosition = 200;
    on.camera().leftImageWidthFromTeePosition = 100;
    on.camera().m_peer = &peer;
    on.camera().meterForImageRatio = kRatioF;
    on.camera().m_foundBallArea = MakeRect(150, 200, 22, 22);
    EXPECT_FLOAT_EQ(PairHAngle(on.run, MakeRect(140, 180, 22, 22), 2), row.expected);
  }
}

TEST(PairSpeed, SpeedFromTwoPositions) {
  struct Row {
    const char* what;
    int32_t sensorType, clubType, frameUnit;
    CRectT from, to;
    int32_t gap;
    bool fromRest;
    double expected;
  };
  const double putterFactor = kRatio * 0.5 / 2.24;
  const Row rows[] = {
      // Frame period 1000 / 404 = 2 ms.
      {"frame 0 from rest: three quarters of a step", SENSOR_MAIN, CLUB_IRON, 404,
       MakeRect(150, 200, 22, 22), MakeRect(150, 180, 22, 22), 1, true, kRatio * (20 / 0.75) / 2},
      {"frame 2 from rest: gap 3 counts 2.25", SENSOR_MAIN, CLUB_IRON, 404,
       MakeRect(150, 200, 22, 22), MakeRect(150, 180, 22, 22), 3, true, kRatio * (20 / 2.25) / 2},
      {"gap 2: dy halved, dx whole", SENSOR_MAIN, CLUB_IRON, 404, MakeRect(150, 200, 22, 22),
       MakeRect(156, 180, 22, 22), 2, false, kRatio * std::sqrt(10.0 * 10 + 6 * 6) / 2},
      {"gap 2 from rest", SENSOR_MAIN, CLUB_IRON, 404, MakeRect(150, 200, 22, 22),
       MakeRect(156, 180, 22, 22), 2, true,
       kRatio * std::sqrt((20 / 1.5) * (20 / 1.5) + 6.0 * 6) / 2},
      {"gap 4", SENSOR_MAIN, CLUB_DRIVER, 404, MakeRect(100, 100, 22, 22),
       MakeRect(112, 60, 22, 22), 4, false, kRatio * std::sqrt(10.0 * 10 + 12 * 12) / 2},
      {"gap 0 counts as 1", SENSOR_MAIN, CLUB_IRON, 404, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 22, 22), 0, false, kRatio * 20 / 2},
      {"ball moving down the picture", SENSOR_MAIN, CLUB_IRON, 404, MakeRect(150, 180, 22, 22),
       MakeRect(147, 200, 22, 22), 1, false, kRatio * std::sqrt(20.0 * 20 + 3 * 3) / 2},
      {"side camera", SENSOR_SIDE, CLUB_IRON, 404, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 22, 22), 1, false, kRatio * 20 / 2},
      // 1 px in one step: 0.368 m/s, raised by the putter curve's 0.3..0.4 step (35 %).
      {"slow putt", SENSOR_MAIN, CLUB_PUTTER, 404, MakeRect(150, 200, 22, 22),
       MakeRect(150, 199, 22, 22), 1, false,
       [=] {
         const double s = static_cast<float>(putterFactor * 1 / 2);
         return static_cast<double>(static_cast<float>(s + s * 0.35));
       }()},
      {"putt above the curve", SENSOR_MAIN, CLUB_PUTTER, 404, MakeRect(150, 200, 22, 22),
       MakeRect(150, 160, 22, 22), 1, false, putterFactor * 40 / 2},
      {"check-view putt: no division by 2.24", SENSOR_CHECK_VIEW, CLUB_PUTTER, 404,
       MakeRect(150, 200, 22, 22), MakeRect(150, 160, 22, 22), 1, false, kRatio * 0.5 * 40 / 2},
      {"frame unit 1000: period 1", SENSOR_MAIN, CLUB_IRON, 1000, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 22, 22), 1, false, kRatio * 20 / 1},
      {"frame unit 2000: period 0 becomes 1", SENSOR_MAIN, CLUB_IRON, 2000,
       MakeRect(150, 200, 22, 22), MakeRect(150, 180, 22, 22), 1, false, kRatio * 20 / 1},
      {"frame unit 300: period 3", SENSOR_MAIN, CLUB_IRON, 300, MakeRect(150, 200, 22, 22),
       MakeRect(150, 180, 22, 22), 1, false, kRatio * 20 / 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RunOnCamera on(row.sensorType, row.clubType);
    on.camera().meterForImageRatio = kRatioF;
    on.camera().m_whiteNum.m_frameUnit = row.frameUnit;
    EXPECT_FLOAT_EQ(PairSpeed(on.camera(), row.from, row.to, row.gap, row.fromRest),
                    static_cast<float>(row.expected));
  }
}

TEST(PuttCurve, FirstMatchingStepInclusiveInDouble) {
  struct Row {
    float speed;
    double raise;  // 0: unchanged
  };
  const Row rows[] = {
      {1.0f, 0.05},                  // the top bound of the top step
      {1.2f, 0},                     // above the table
      {1.0000001f, 0},               // just above
      {0.95f, 0.05},   {0.9f, 0.1},  // as a float just below 0.9: the 0.8..0.9 step
      {0.8f, 0.1},                   // as a float just above 0.8
      {0.7f, 0.2},                   // just below 0.7: the 0.6..0.7 step
      {0.6f, 0.2},                   // just above 0.6
      {0.5f, 0.25},                  // exactly 0.5 lies in two steps; the first listed wins
      {0.4f, 0.3},     {0.3f, 0.35}, {0.2f, 0.4}, {0.1f, 0.45},  // just above 0.1
      {0.05f, 0.5},    {0.0f, 0.5},                              // 0 stays 0
      {-0.01f, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.speed);
    const double x = row.speed;
    EXPECT_EQ(PuttCurve(row.speed), static_cast<float>(x + x * row.raise));
  }
  EXPECT_FLOAT_EQ(PuttCurve(1.0f), 1.05f);
  EXPECT_EQ(PuttCurve(0.0f), 0.0f);
}

TEST(MapSideToMain, RescalesTheDistanceFromTheTeeColumn) {
  struct Row {
    const char* what;
    float ownLeft, ownRight, peerLeft, peerRight;
    int32_t windowShiftX;  // with the window moved
    int32_t x, expectedX;
  };
  const Row rows[] = {
      {"left of the tee", 100, 100, 120, 80, 0, 140, 136},
      {"right of the tee", 100, 100, 120, 80, 0, 170, 168},
      {"on the tee column", 100, 100, 120, 80, 0, 160, 160},
      {"half pixel truncated", 100, 100, 125, 100, 0, 150, 147},
      {"negative result truncated toward zero", 100, 100, 101, 100, 0, 0, -1},
      {"far right truncated", 100, 100, 100, 101, 0, 320, 321},
      {"zero widths", 0, 0, 0, 0, 0, 140, 160},
      {"zero own left width divides by 0.0000001", 0, 100, 2.5e-7f, 100, 0, 140, 110},
      {"zero own right width divides by 0.0000001", 100, 0, 100, 1e-7f, 0, 180, 180},
      {"tee column moved with the window", 100, 100, 120, 80, 10, 150, 146},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    CameraOnFrame side(SENSOR_SIDE);
    CMainCamera peer;
    peer.leftImageWidthFromTeePosition = row.peerLeft;
    peer.rightImageWidthFromTeePosition = row.peerRight;
    side.camera.leftImageWidthFromTeePosition = row.ownLeft;
    side.camera.rightImageWidthFromTeePosition = row.ownRight;
    side.camera.m_peer = &peer;
    if (row.windowShiftX != 0) {
      side.camera.m_windowMoved = true;
      side.camera.m_windowShiftX = row.windowShiftX;
    }
    const CRectT in = MakeRect(row.x, 77, 21, 19);
    const CRectT out = MapSideToMain(side.camera, in);
    EXPECT_EQ(out.m_x, row.expectedX);
    EXPECT_EQ(out.m_y, 77);
    EXPECT_EQ(out.m_width, 21);
    EXPECT_EQ(out.m_height, 19);
  }
}

TEST(MapSideToMain, UnchangedWithoutAPeer) {
  CameraOnFrame side(SENSOR_SIDE);
  side.camera.leftImageWidthFromTeePosition = 100;
  side.camera.rightImageWidthFromTeePosition = 100;
  for (const CRectT in : {MakeRect(140, 77, 21, 19), MakeRect(300, 5, 22, 22)}) {
    SCOPED_TRACE(RectText(in));
    EXPECT_EQ(MapSideToMain(side.camera, in), in);
  }
}

}  // namespace
