// The flight path of one shot: the looked-up flight turned to the horizontal angle and bent by
// the side spin.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "flight_file_bytes.h"
#include "trajectory/ts_base.h"

namespace {

constexpr float kDegree = std::numbers::pi_v<float> / 180.0f;

class SwingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(GridFile(2.0f, 200).LoadInto(s_table)); }

  // A full shot as the analysis hands it over.
  int Shoot(float hAngle, float vAngle, float speed, float sideSpin) {
    m_ts.Reset();
    m_ts.m_input[0] = hAngle;
    m_ts.m_input[1] = vAngle;
    m_ts.m_input[2] = speed;
    m_ts.m_input[4] = sideSpin;
    return m_ts.Swing_GetTrajectory2();
  }

  static cTrajectory s_table;
  cTS_Base m_ts{s_table};
};
cTrajectory SwingTest::s_table;

TEST_F(SwingTest, StraightPathFollowsTheTableFlightTurnedToTheLaunchDirection) {
  const CFlightEntry* entry = s_table.GetOne(20.0f, 12.0f);
  ASSERT_NE(entry, nullptr);
  for (const float angle : {0.0f, 90.0f, -30.0f}) {
    SCOPED_TRACE(angle);
    ASSERT_EQ(Shoot(angle, 12.0f, 20.0f, 0.0f), 1);
    ASSERT_EQ(m_ts.m_pointCount, entry->m_pointCount);
    for (int i = 0; i < m_ts.m_pointCount; ++i) {
      const float d = entry->m_points[i].m_distance;
      EXPECT_NEAR(m_ts.m_straightPath[i][0], d * std::sin(angle * kDegree), 1e-3f);
      EXPECT_EQ(m_ts.m_straightPath[i][1], entry->m_points[i].m_height);
      EXPECT_NEAR(m_ts.m_straightPath[i][2], d * std::cos(angle * kDegree), 1e-3f);
    }
  }
}

TEST_F(SwingTest, FastLowLaunchIsLookedUpSlower) {
  // 30 m/s at -2 deg: the angle becomes 0 and the lookup speed 30 x 120 / 140 = 25.71 m/s.
  ASSERT_EQ(Shoot(0.0f, -2.0f, 30.0f, 0.0f), 1);
  EXPECT_EQ(m_ts.m_input[1], 0.0f);
  const CFlightEntry* slowed = s_table.GetOne(25.714285f, 0.0f);
  ASSERT_NE(slowed, nullptr);
  ASSERT_NE(slowed, s_table.GetOne(30.0f, 0.0f));  // the reduction changes the speed row
  EXPECT_EQ(m_ts.m_straightPath[10][2], slowed->m_points[10].m_distance);

  // At 10 deg the full speed counts; at 25 m/s nothing is reduced.
  ASSERT_EQ(Shoot(0.0f, 10.0f, 30.0f, 0.0f), 1);
  EXPECT_EQ(m_ts.m_straightPath[10][2], s_table.GetOne(30.0f, 10.0f)->m_points[10].m_distance);
  ASSERT_EQ(Shoot(0.0f, -2.0f, 25.0f, 0.0f), 1);
  EXPECT_EQ(m_ts.m_input[1], -2.0f);
}

TEST_F(SwingTest, ZeroSideSpinLeavesThePathStraight) {
  ASSERT_EQ(Shoot(15.0f, 20.0f, 40.0f, 0.0f), 1);
  for (int i = 0; i < m_ts.m_pointCount; ++i) {
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(m_ts.m_flightPath[i][k], m_ts.m_straightPath[i][k], 1e-3f);
  }
}

TEST_F(SwingTest, SideSpinBendsFromTheSecondStepOn) {
  ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, 4000.0f), 1);
  const auto& path = m_ts.m_flightPath;
  const auto& straight = m_ts.m_straightPath;
  // The first step turns by the curve accumulated before it, which is none.
  EXPECT_EQ(path[1][0], 0.0f);
  // The second by 0.005 x 1 deg (curve rate 1 after one step).
  const float dz = straight[2][2] - straight[1][2];
  EXPECT_NEAR(path[2][0] - path[1][0], dz * std::sin(0.005f * kDegree), 1e-7f);
  // The bend grows along the path toward +x.
  const int last = m_ts.m_pointCount - 1;
  EXPECT_GT(path[last][0], 1.0f);
  EXPECT_LT(path[last][2], straight[last][2]);
}

// Heading of the bent step that ends at point i, in degrees from the launch line.
float StepHeadingDeg(const cTS_Base& ts, int i) {
  const float dx = ts.m_flightPath[i][0] - ts.m_flightPath[i - 1][0];
  const float dz = ts.m_flightPath[i][2] - ts.m_flightPath[i - 1][2];
  return std::atan2(dx, dz) / kDegree;
}

TEST(SwingLongFlightTest, CurveRateSettlesAndTheTurnStopsAtNinetyDegrees) {
  cTrajectory table;
  ASSERT_TRUE(GridFile(2.0f, 1500, 100).LoadInto(table));
  cTS_Base ts{table};
  ts.m_input[1] = 10.0f;
  ts.m_input[2] = 4.0f;
  ts.m_input[4] = 4500.0f;
  ASSERT_EQ(ts.Swing_GetTrajectory2(), 1);
  ASSERT_EQ(ts.m_pointCount, 1500);
  // The rate climbs by 1 a step until spin / 40, decaying by 3 % a step, falls below it:
  // 112.5 x 0.97^k < k first at k = 37. From then on each step turns 0.005 x 37 deg more.
  EXPECT_EQ(ts.m_curveRate, 37.0f);
  EXPECT_NEAR(StepHeadingDeg(ts, 101) - StepHeadingDeg(ts, 100), 0.185f, 2e-3f);
  // 0.005 x curve angle reaches 90 deg near step 500; the path then runs sideways.
  for (int i = 600; i < 1500; i += 100) EXPECT_NEAR(StepHeadingDeg(ts, i), 90.0f, 1e-3f) << i;
}

TEST_F(SwingTest, BendingTurnsStepsWithoutStretchingThem) {
  ASSERT_EQ(Shoot(30.0f, 20.0f, 40.0f, 4500.0f), 1);
  for (int i = 1; i < m_ts.m_pointCount; ++i) {
    float bent = 0.0f;
    float straight = 0.0f;
    for (int k = 0; k < 3; ++k) {
      const float b = m_ts.m_flightPath[i][k] - m_ts.m_flightPath[i - 1][k];
      const float s = m_ts.m_straightPath[i][k] - m_ts.m_straightPath[i - 1][k];
      bent += b * b;
      straight += s * s;
    }
    EXPECT_NEAR(std::sqrt(bent), std::sqrt(straight), 1e-4f) << i;
  }
}

TEST_F(SwingTest, OppositeSideSpinMirrorsTheBend) {
  ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, 3000.0f), 1);
  const cTS_Base::Path right = m_ts.m_flightPath;
  ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, -3000.0f), 1);
  for (int i = 0; i < m_ts.m_pointCount; ++i) {
    EXPECT_NEAR(m_ts.m_flightPath[i][0], -right[i][0], 1e-3f);
    EXPECT_NEAR(m_ts.m_flightPath[i][2], right[i][2], 1e-3f);
  }
}

TEST_F(SwingTest, SideSpinAbove4500ActsAs4500) {
  ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, 4500.0f), 1);
  const cTS_Base::Path clamped = m_ts.m_flightPath;
  for (const float spin : {8000.0f, std::numeric_limits<float>::infinity()}) {
    ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, spin), 1);
    EXPECT_EQ(m_ts.m_flightPath, clamped) << spin;
  }
}

TEST_F(SwingTest, NoFlightGivesAnEmptyPathAfterReset) {
  ASSERT_EQ(Shoot(0.0f, 20.0f, 40.0f, 1000.0f), 1);
  const cTrajectory none;
  cTS_Base empty{none};
  empty.m_input[2] = 40.0f;
  EXPECT_EQ(empty.Swing_GetTrajectory2(), 0);
  EXPECT_EQ(empty.m_pointCount, 0);
  EXPECT_EQ(empty.m_flightPath, cTS_Base::Path{});

  // A stale object keeps nothing from its last shot once reset.
  m_ts.Reset();
  EXPECT_EQ(m_ts.m_pointCount, 0);
  EXPECT_EQ(m_ts.m_flightPath, cTS_Base::Path{});
  EXPECT_EQ(m_ts.m_spinScale, 1.0f);
}

TEST_F(SwingTest, OffsetsShiftElevationDirectionAndSteps) {
  m_ts.Reset();
  m_ts.m_input = {0.0f, 10.0f, 20.0f, 0.0f, 0.0f};
  m_ts.m_elevationOffset = 2.0f;
  m_ts.m_directionOffset = 90.0f;
  m_ts.m_stepOffset = {0.0f, 1.0f, 0.0f};
  ASSERT_EQ(m_ts.Swing_GetTrajectory2(), 1);
  const CFlightEntry* entry = s_table.GetOne(20.0f, 12.0f);
  EXPECT_EQ(m_ts.m_input[1], 12.0f);
  EXPECT_NEAR(m_ts.m_straightPath[5][0], entry->m_points[5].m_distance, 1e-3f);
  EXPECT_NEAR(m_ts.m_flightPath[5][1], entry->m_points[5].m_height + 5.0f, 1e-4f);
}

}  // namespace
