// The watch's counters on a bay left alone for weeks: near the int32 ceiling they stop instead of
// wrapping, and every decision taken on them comes out as it does on small counts.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "watch/camera_pair.h"
#include "watch/message_log.h"
#include "watch/scripted_analysis.h"

namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();

struct StepCase {
  int32_t count;
  int32_t step;
  int32_t expected;
};

constexpr StepCase kStepCases[] = {
    {0, 4, 4},       {400, 4, 404},       {kMax - 4, 4, kMax}, {kMax - 3, 4, kMax},
    {kMax, 4, kMax}, {kMax - 1, 1, kMax}, {kMax, 1, kMax},
};

TEST(WatchCounters, StepStopsAtTheCeiling) {
  for (const StepCase& c : kStepCases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(CountStep(c.count, c.step), c.expected);
  }
}

class WatchCountersOnABay : public ::testing::Test {
 protected:
  void SetUp() override { Analysis() = ScriptedAnalysis{}; }

  MessageLog messages;
  CameraOnFrame bay;
  CMainCamera& camera = bay.camera;
  WatchState& watch = bay.camera.m_watch;
};

// Two weeks of an empty putting green, then a ball: ready on its 101st frame as ever.
TEST_F(WatchCountersOnABay, LostCountOfAnEmptyPutterBayStaysAtTheCeiling) {
  CameraPair::UseClub(bay, CLUB_PUTTER);
  watch.m_lostCount = kMax - 2;
  RunFrames(camera, 3);
  EXPECT_EQ(watch.m_lostCount, kMax);
  EXPECT_EQ(watch.m_foundCount, 0);
  EXPECT_EQ(watch.m_ballState, BALL_EMPTY);
  EXPECT_EQ(watch.m_classifyCount, 0);  // none for the putter

  CameraPair::PutBall(bay);
  RunFrames(camera, 1);
  EXPECT_EQ(watch.m_lostCount, 0);
  RunFrames(camera, 99);
  EXPECT_EQ(watch.m_ballState, BALL_EMPTY);
  RunFrames(camera, 1);
  EXPECT_EQ(watch.m_ballState, BALL_READY);
}

// A ready ball that nobody strikes: still ready, never fired, until the first frame that misses it.
TEST_F(WatchCountersOnABay, FoundCountOfAnUnstruckBallStaysAtTheCeiling) {
  CameraPair::UseClub(bay, CLUB_IRON);
  CameraPair::PutBall(bay);
  RunFrames(camera, 101);
  ASSERT_EQ(watch.m_ballState, BALL_READY);
  watch.m_foundCount = kMax - 1;
  RunFrames(camera, 5);
  EXPECT_EQ(watch.m_foundCount, kMax);
  EXPECT_EQ(watch.m_ballState, BALL_READY);
  EXPECT_EQ(Analysis().calls, 0);

  Analysis().outcome = ANALYSIS_DELIVERED;
  CameraPair::RemoveBall(bay);
  RunFrames(camera, 1);
  EXPECT_EQ(Analysis().calls, 1);
  EXPECT_EQ(watch.m_ballState, BALL_SHOT);
}

// A classification frame count and an area score both at the ceiling: the ball's area is decided
// as soon as its score has built up on this mat, as on the 121st frame of any classification.
TEST_F(WatchCountersOnABay, ClassificationCountsAtTheCeilingStillDecide) {
  CameraPair::UseClub(bay, CLUB_IRON);
  camera.m_clubType = CLUB_DRIVER;
  camera.StartClassification(1);
  watch.m_classifyCount = kMax - 1;
  RunFrames(camera, 3);  // an empty mat
  EXPECT_EQ(watch.m_classifyCount, kMax);

  CameraPair::PutBall(bay);
  RunFrames(camera, 30);  // 120 of the 121 the iron area needs
  EXPECT_EQ(watch.m_classifyCount, kMax);
  RunFrames(camera, 1);
  EXPECT_EQ(watch.m_classifyCount, kClassificationDecided);
  EXPECT_EQ(camera.m_clubType, CLUB_IRON);
}

TEST_F(WatchCountersOnABay, AreaScoreAtTheCeilingWaitsForTheFrameCountAsBefore) {
  CameraPair::UseClub(bay, CLUB_IRON);
  CameraPair::PutBall(bay);
  camera.m_clubType = CLUB_DRIVER;
  camera.StartClassification(1);
  watch.m_ironCount = kMax - 1;
  RunFrames(camera, 120);
  EXPECT_EQ(watch.m_ironCount, kMax);
  EXPECT_EQ(watch.m_classifyCount, 121);
  RunFrames(camera, 1);
  EXPECT_EQ(watch.m_classifyCount, kClassificationDecided);
  EXPECT_EQ(camera.m_clubType, CLUB_IRON);
}

}  // namespace
