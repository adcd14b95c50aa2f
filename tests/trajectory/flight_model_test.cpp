// The ball-flight model behind the generated table, checked against published launch-monitor
// averages and the coefficients it is built from.
#include <gtest/gtest.h>

#include "flighttable/aero_coefficients.h"
#include "flighttable/back_spin_rule.h"
#include "flighttable/ball_flight.h"
#include "flighttable/published_shots.h"

namespace {

using namespace flighttable;

TEST(FlightModelTest, CarriesPublishedDrivesWithinFivePercent) {
  for (const CPublishedShot& shot : kPublishedDrives) {
    SCOPED_TRACE(shot.m_speedMph);
    EXPECT_NEAR(ModelCarryYards(shot), shot.m_carryYards, 0.05 * shot.m_carryYards);
  }
}

TEST(FlightModelTest, CoefficientsFollowTheDragCrisisAndTheLiftCurve) {
  EXPECT_DOUBLE_EQ(DragCoefficient(0.4e5, 0.0), 0.500);
  EXPECT_DOUBLE_EQ(DragCoefficient(0.75e5, 0.0), 0.350);
  EXPECT_DOUBLE_EQ(DragCoefficient(2.0e5, 0.0), 0.200);
  EXPECT_DOUBLE_EQ(DragCoefficient(2.0e5, 0.1), 0.218);
  EXPECT_DOUBLE_EQ(LiftCoefficient(0.1), 0.199 - 0.0325);
  EXPECT_DOUBLE_EQ(LiftCoefficient(0.3), 1.99 * 0.3 - 3.25 * 0.09);
  EXPECT_DOUBLE_EQ(LiftCoefficient(0.5), 0.305);
}

TEST(FlightModelTest, BackSpinRuleGivesTypicalSpinsOfDriverAndIron) {
  EXPECT_NEAR(TypicalBackSpinRpm(167.0, 10.9), 2686.0, 0.1 * 2686.0);
  EXPECT_NEAR(TypicalBackSpinRpm(120.0, 16.3), 7097.0, 0.1 * 7097.0);
  EXPECT_NEAR(TypicalBackSpinRpm(132.0, 12.1), 5361.0, 0.1 * 5361.0);
  EXPECT_LE(TypicalBackSpinRpm(200.0, 60.0), 11000.0);
  EXPECT_GT(TypicalBackSpinRpm(60.0, 0.0), 0.0);
}

TEST(FlightModelTest, PathStartsAtLaunchAndEndsOnTheLanding) {
  const CBallFlight flight = Fly({60.0, 12.0, 3000.0}, 0.01, 1500);
  ASSERT_GE(flight.m_points.size(), 2u);
  EXPECT_EQ(flight.m_points.front().m_height, 0.0f);
  EXPECT_EQ(flight.m_points.front().m_distance, 0.0f);
  EXPECT_EQ(flight.m_points.back().m_height, 0.0f);
  EXPECT_FLOAT_EQ(flight.m_points.back().m_distance, static_cast<float>(flight.m_carry));
  // One point per 10 ms of flight plus the landing.
  EXPECT_NEAR(static_cast<double>(flight.m_points.size()), flight.m_flightTime / 0.01 + 1.0, 1.0);
  // Back spin holds the ball up: the same launch without it lands shorter.
  EXPECT_LT(Fly({60.0, 12.0, 0.0}, 0.01, 1500).m_carry, flight.m_carry);
  EXPECT_EQ(Fly({60.0, 12.0, 3000.0}, 0.001, 1500).m_points.size(), 1500u);
}

}  // namespace
