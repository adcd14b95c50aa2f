// The shot's speed chosen from the per-frame speeds of the track, and the angles it leaves.
#include "analysis/speed_selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "shot_run_fixture.h"

namespace {

constexpr float kNone = kNotMeasured;

float Mean(float a, float b) {
  return static_cast<float>((static_cast<double>(a) + b) * 0.5);
}

// The next float above 1: a different value that prints like 1 ("1.000000").
const float kJustAboveOne = std::nextafter(1.0f, 2.0f);

struct Row {
  const char* what;
  std::vector<float> speeds;  // slots 1, 2, ...
  int32_t foundCount;
  float expected;  // the chosen speed; ignored when the run ends
  bool frameGap = false;
  int32_t clubType = CLUB_IRON;
  float slot0 = kNone;  // what the trigger frame's slot held before the selection
};

std::vector<Row> Rows() {
  const std::vector<float> five30 = {30, 30, 30, 30, 30};
  const std::vector<float> six0(6, 0.0f);
  std::vector<float> twentyZeros(20, 0.0f);
  std::vector<float> nineteenZeros(19, 0.0f);
  auto with = [](std::vector<float> v, std::initializer_list<float> more) {
    v.insert(v.end(), more);
    return v;
  };
  return {
      {"one value", {25, 25}, 2, 25},
      {"two values: their mean", {30.0f, 30.0f, 31.2f}, 3, Mean(30.0f, 31.2f)},
      {"two values a frame apart", {12, 30}, 2, 0, true},
      {"two values just inside the frame-gap limit", {12, 20}, 2, 16},  // 8 <= 12 / 1.5
      {"putter allows a wider pair", {10, 18}, 2, 14, false, CLUB_PUTTER},
      {"the same pair is a frame gap for an iron", {10, 18}, 2, 0, true},
      {"found count 1", {25, 26}, 1, kNone},
      {"found count 0", {25}, 0, kNone},
      {"no speed at all", {}, 3, kNone},
      {"the trigger frame never counts", {30}, 2, 30, false, CLUB_IRON, 12},
      {"values above 160 are not speeds", {30, 161, 200}, 3, 30},
      {"160 still is", {150, 160}, 2, 155},
      {"zero is not a speed", {0, 30, 31}, 3, Mean(30, 31)},
      {"a zero mode is no mode", {0, 0, 0, 0, 0, 30, 31}, 7, Mean(30, 31)},
      {"five equal speeds override the rules", with(five30, {40}), 6, 30},
      {"four equal speeds do not", {30, 30, 30, 30, 40}, 5, Mean(30, 40)},
      {"five equal speeds do not survive a frame gap", with(five30, {12}), 6, 0, true},
      {"five equal speeds do not make a short track", five30, 1, kNone},
      {"more zeros than equal speeds: no mode", with(with(six0, {31}), {30, 30, 30, 30, 30}), 12,
       Mean(30, 31)},
      {"values equal in print are one value", {1.0f, kJustAboveOne, 1.5f}, 3, Mean(1.0f, 1.5f)},
      // Triple rule: the closer upper pair, else the lower pair.
      {"three: upper pair closer", {10, 20, 21}, 3, Mean(20, 21)},
      {"three: equal gaps take the upper pair", {20, 21, 22}, 3, Mean(21, 22)},
      {"three: lower pair closer", {20, 21, 23}, 3, Mean(20, 21)},
      {"three: no frame-gap test", {5, 20, 40}, 3, Mean(5, 20)},
      // Four values: d01, d12, d23 between neighbours.
      {"four: first gap largest, upper triple", {10, 20, 21, 22}, 4, Mean(21, 22)},
      {"four: last gap largest, lower triple", {20, 21, 23, 30}, 4, Mean(20, 21)},
      {"four: middle gap largest, upper pair", {20, 22, 30, 31}, 4, Mean(30, 31)},
      {"four: middle gap largest, lower pair", {20, 21, 30, 32}, 4, Mean(20, 21)},
      {"four: middle gap largest, equal outer gaps", {20, 22, 30, 32}, 4, Mean(30, 32)},
      {"four: lower pair a frame apart", {10, 20, 40, 55}, 4, 0, true},
      {"only the four lowest values count", {20, 21, 22, 23, 100}, 5, Mean(22, 23)},
      {"order of the frames does not matter", {23, 100, 21, 22, 20}, 5, Mean(22, 23)},
      // Distinct values are looked for among the 20 lowest entries only.
      {"twenty entries examined", with(twentyZeros, {30}), 21, kNone},
      {"nineteen zeros leave room", with(nineteenZeros, {30}), 20, 30},
  };
}

TEST(SelectSpeed, ChoosesTheShotSpeed) {
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.what);
    RunOnCamera on(SENSOR_MAIN, row.clubType);
    CMainCamera& camera = on.camera();
    camera.m_balls[0].m_ball.m_speed = row.slot0;
    for (size_t k = 0; k < row.speeds.size(); ++k) {
      camera.m_balls[k + 1].m_ball.m_speed = row.speeds[k];
    }
    on.run.track.foundCount = row.foundCount;
    const Step step = SelectSpeed(on.run);
    if (row.frameGap) {
      EXPECT_EQ(step, Step::kEnd);
      EXPECT_EQ(on.run.outcome, ANALYSIS_NO_SHOT);
      ASSERT_NE(on.run.suffix, nullptr);
      EXPECT_STREQ(on.run.suffix, "---");
      continue;
    }
    EXPECT_EQ(step, Step::kGoOn);
    EXPECT_EQ(on.run.suffix, nullptr);
    EXPECT_FLOAT_EQ(camera.m_speed, row.expected);
  }
}

TEST(SelectSpeed, PrintEqualValuesCountTowardsTheMode) {
  RunOnCamera on;
  CMainCamera& camera = on.camera();
  const float speeds[] = {1.0f, kJustAboveOne, 1.0f, kJustAboveOne, 1.0f, 1.5f};
  for (size_t k = 0; k < std::size(speeds); ++k) camera.m_balls[k + 1].m_ball.m_speed = speeds[k];
  on.run.track.foundCount = 6;
  ASSERT_EQ(SelectSpeed(on.run), Step::kGoOn);
  // Without the mode the pair (1, 1.5) would give 1.25.
  char text[32];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(camera.m_speed));
  EXPECT_STREQ(text, "1.000000");
}

TEST(SelectSpeed, OnlyTheShotFramesCount) {
  RunOnCamera on;
  CMainCamera& camera = on.camera();
  on.run.frameCount = kShotFrames;
  camera.m_balls[5].m_ball.m_speed = 30;
  camera.m_balls[kShotFrames].m_ball.m_speed = 12;  // beyond the last shot frame
  on.run.track.foundCount = 2;
  ASSERT_EQ(SelectSpeed(on.run), Step::kGoOn);
  EXPECT_FLOAT_EQ(camera.m_speed, 30);
}

TEST(SelectSpeed, ClearsTheTriggerFrameAndReferencesTheAngles) {
  struct AngleRow {
    float hAngle, zeroAngle, expectedHAngle;
  };
  const AngleRow rows[] = {
      {5.0f, 1.5f, 3.5f},
      {-2.0f, -0.5f, -1.5f},
      {5.0f, 0.0f, 5.0f},
      {kNone, 1.5f, kNone},  // no angle stays no angle
  };
  for (const AngleRow& row : rows) {
    SCOPED_TRACE(row.hAngle);
    RunOnCamera on;
    CMainCamera& camera = on.camera();
    camera.m_balls[0].m_ball = CBall{MakeRect(1, 2, 3, 4), 20.0f, 5.0f, 6.0f};
    camera.m_balls[1].m_ball.m_speed = 30;
    camera.m_balls[2].m_ball.m_speed = 30;
    on.run.track.foundCount = 2;
    camera.m_HAngle = row.hAngle;
    camera.m_VAngle = 7.0f;
    camera.zeroAngle = row.zeroAngle;
    ASSERT_EQ(SelectSpeed(on.run), Step::kGoOn);
    EXPECT_EQ(camera.m_balls[0].m_ball.m_speed, kNone);
    EXPECT_EQ(camera.m_balls[0].m_ball.m_VAngle, kNone);
    EXPECT_EQ(camera.m_balls[0].m_ball.m_HAngle, kNone);
    EXPECT_EQ(camera.m_VAngle, 0.0f);
    EXPECT_FLOAT_EQ(camera.m_HAngle, row.expectedHAngle);
  }
}

}  // namespace
