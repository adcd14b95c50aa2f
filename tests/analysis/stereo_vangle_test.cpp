// The vertical launch angle from the difference of the two cameras' horizontal angles, and the
// speed correction it brings.
#include "analysis/stereo_vangle.h"

#include <gtest/gtest.h>

#include "shot_run_fixture.h"

namespace {

TEST(StereoVAngle, VerticalAngleFromTheAngleDifference) {
  struct Row {
    const char* what;
    float mainHAngle, sideHAngle;
    float expected;
  };
  const Row rows[] = {
      {"10 degrees apart", 5, -5, 18},
      {"the order does not matter", -5, 5, 18},
      {"40 apart: above 50 loses 5 %", 30, -10, 68.4f},
      {"30 apart", 0, 30, static_cast<float>(54 - 54 * 0.05)},
      {"50 apart: capped at 80", 25, -25, 80},
      {"60 apart", 60, 0, 80},
      {"no difference counts as 0.5", 3, 3, 0.9f},
      {"0.3 apart counts as 0.5", 3.3f, 3, 0.9f},
      {"exactly 0.5", 2.5f, 2, 0.9f},
      {"0.6 apart", 2.6f, 2, static_cast<float>(static_cast<double>(0.6f) * 1.8)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    RunOnCamera on;
    on.camera().m_HAngle = row.mainHAngle;
    on.camera().m_speed = 50;
    StereoVAngle(on.run, row.sideHAngle);
    EXPECT_NEAR(on.camera().m_VAngle, row.expected, 2e-5);
  }
}

TEST(StereoVAngle, RisingBallLosesSpeed) {
  struct Row {
    float angleDifference, speed;
    double expectedVAngle;
  };
  const Row rows[] = {
      {10, 50, 18}, {50, 50, 80}, {0, 40, 0.9}, {10, 0, 18}, {40, 120, 68.4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.angleDifference);
    RunOnCamera on;
    on.camera().m_HAngle = row.angleDifference;
    on.camera().m_speed = row.speed;
    StereoVAngle(on.run, 0);
    const double v = on.camera().m_VAngle;
    ASSERT_NEAR(v, row.expectedVAngle, 2e-5);
    // adj = speed - V * speed / 100 * 0.32
    EXPECT_FLOAT_EQ(on.camera().m_speed,
                    static_cast<float>(row.speed - v * row.speed / 100 * 0.32));
  }
}

TEST(StereoVAngle, WorkedSpeedCorrection) {
  RunOnCamera on;
  on.camera().m_HAngle = 5;
  on.camera().m_speed = 50;
  StereoVAngle(on.run, -5);
  EXPECT_NEAR(on.camera().m_speed, 47.12, 1e-4);  // 50 - 18 * 50 / 100 * 0.32
}

}  // namespace
