#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "analysis/club_path.h"
#include "analysis/top_side_result.h"
#include "watch/camera_pair.h"
#include "watch/debug_capture.h"
#include "watch/message_log.h"
#include "watch/scripted_analysis.h"

namespace {

constexpr char kMainReady[] = "-> Top Main - Ready <-\n";
constexpr char kPairReady[] = "-> Top Main/Side - Ready <-\n";
constexpr char kAreasDiffer[] = "-> 클럽잡힌 영역이 틀려서 다시 볼을 찾는다. <-\n";
constexpr char kBallFlew[] = "-> 공이 날라갔다. <-\n";
constexpr char kEmptySwing[] = "-> 빈스윙 이거나 빛이 깜박였다. <-\n";
constexpr char kLowFps[] = "-> LOW FPS <-\n";
constexpr char kBallGone[] = "-> 공이 안보인다. <-\n";

class BallWatch : public ::testing::Test {
 protected:
  void SetUp() override { Analysis() = ScriptedAnalysis{}; }

  // A camera without a peer whose ball has just become ready.
  void MakeReady(CameraOnFrame& bay, int32_t clubType = CLUB_IRON) {
    CameraPair::UseClub(bay, clubType);
    CameraPair::PutBall(bay);
    RunFrames(bay.camera, 101);
    ASSERT_EQ(bay.camera.m_watch.m_ballState, BALL_READY);
  }

  // Lights the first `pixels` pixels of the trigger strip, row by row.
  static void LightTrigger(CameraOnFrame& bay, int32_t pixels) {
    const CRectT strip = bay.camera.m_triggerArea;
    for (int32_t i = 0; i < pixels; ++i) {
      bay.frame.Fill(strip.m_x + i % strip.m_width, strip.m_y + i / strip.m_width, 1, 1, 255);
    }
    bay.Show();
  }

  MessageLog messages;
};

TEST_F(BallWatch, BallIsReadyOnThe101stFrameNotThe100th) {
  CameraOnFrame bay;
  CameraPair::UseClub(bay, CLUB_IRON);
  CameraPair::PutBall(bay);
  RunFrames(bay.camera, 100);
  EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_EMPTY);
  EXPECT_EQ(bay.camera.m_watch.m_foundCount, 400);
  RunFrames(bay.camera, 1);
  EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_READY);
  // Without a peer camera the main camera never tells the client.
  RunFrames(bay.camera, 50);
  EXPECT_TRUE(messages.messages.empty());
  EXPECT_EQ(Analysis().calls, 0);
}

TEST_F(BallWatch, ReadinessEndsWhenTheWindowLeavesTheBall) {
  CameraOnFrame bay;
  MakeReady(bay);
  bay.camera.m_windowMoved = false;
  RunFrames(bay.camera, 1);
  EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_EMPTY);
  EXPECT_EQ(bay.camera.m_watch.m_foundCount, 0);
  EXPECT_EQ(Analysis().calls, 0);
}

TEST_F(BallWatch, BothCamerasReadyInTheSameAreaPostOneReady) {
  CameraPair pair(CLUB_ROUGH);
  DebugCapture debug;
  pair.Step(300);
  ASSERT_EQ(messages.messages.size(), 1u);
  EXPECT_EQ(messages.messages[0].code, clientlink::CODE_BALL_READY);
  EXPECT_EQ(messages.messages[0].lParam, CLUB_ROUGH);
  EXPECT_EQ(debug.Count(kPairReady), 1);
  // The main camera was ready one frame before the side camera said so.
  EXPECT_EQ(debug.Count(kMainReady), 1);
  EXPECT_EQ(pair.main.camera.m_watch.m_ballState, BALL_READY);
  EXPECT_EQ(pair.side.camera.m_watch.m_ballState, BALL_READY);
  EXPECT_EQ(Analysis().calls, 0);
}

TEST_F(BallWatch, DifferentAreasResetBothCamerasAndPostNothing) {
  CameraPair pair(CLUB_IRON);
  CameraPair::UseClub(pair.side, CLUB_DRIVER);
  DebugCapture debug;
  pair.Step(150);
  EXPECT_EQ(debug.Count(kAreasDiffer), 1);
  EXPECT_EQ(debug.Count(kPairReady), 0);
  EXPECT_TRUE(messages.messages.empty());
  for (const CameraOnFrame* bay : {&pair.main, &pair.side}) {
    EXPECT_EQ(bay->camera.m_watch.m_ballState, BALL_EMPTY);
    EXPECT_EQ(bay->camera.m_watch.m_readyReported, 0);
    EXPECT_LT(bay->camera.m_watch.m_foundCount, 404);
  }
  EXPECT_EQ(Analysis().calls, 0);
}

// The strip in front of the ball fires at more than 8 % of its 60 x 40 pixels, although the ball
// itself is still in place.
TEST_F(BallWatch, FirstFrameWithTheTriggerStripLitFiresTheAnalysis) {
  CameraOnFrame bay;
  MakeReady(bay);
  RunFrames(bay.camera, 5);
  LightTrigger(bay, 192);
  RunFrames(bay.camera, 1);
  EXPECT_EQ(Analysis().calls, 0);
  EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_READY);

  LightTrigger(bay, 193);
  DebugCapture debug;
  EXPECT_EQ(bay.camera.WatchFrame(), 1);
  EXPECT_EQ(Analysis().calls, 1);
  EXPECT_EQ(Analysis().lastCamera, &bay.camera);
  EXPECT_EQ(debug.Count(kBallGone), 1);
}

// What the watch does with each answer of the analysis, on the first frame the ball is gone.
TEST_F(BallWatch, OutcomeOfTheAnalysisMovesTheWatchOn) {
  struct Case {
    int32_t outcome;
    const char* line;
    int32_t state;
    int32_t lostAfter;  // an empty swing leaves the counters of the miss frame
    int32_t result;
  };
  const Case cases[] = {
      {ANALYSIS_DELIVERED, kBallFlew, BALL_SHOT, 0, 1},
      {ANALYSIS_EMPTY_SWING, kEmptySwing, BALL_READY, 4, 1},
      {ANALYSIS_LOW_FPS, kLowFps, BALL_EMPTY, 0, -1000},
      {ANALYSIS_NO_SHOT, kBallGone, BALL_EMPTY, 0, 1},
      {7, kBallGone, BALL_EMPTY, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.outcome);
    Analysis() = ScriptedAnalysis{};
    Analysis().outcome = c.outcome;
    CameraOnFrame bay;
    MakeReady(bay);
    CMainCamera& cam = bay.camera;
    const int32_t bytes = cam.m_buffers.imageSize;
    std::fill_n(cam.m_buffers.shotStore.get(), bytes * kShotStoreFrames, uint8_t{7});
    for (auto& work : cam.m_buffers.work) std::fill_n(work.get(), bytes, uint8_t{7});

    CameraPair::RemoveBall(bay);
    DebugCapture debug;
    EXPECT_EQ(cam.WatchFrame(), c.result);
    EXPECT_EQ(debug.Text(), c.line);
    EXPECT_EQ(Analysis().calls, 1);
    EXPECT_EQ(Analysis().callsWhileAnalysing, 1);
    EXPECT_EQ(cam.m_watch.m_analysing, 0);
    EXPECT_EQ(cam.m_watch.m_ballState, c.state);
    EXPECT_EQ(cam.m_watch.m_foundCount, 0);
    EXPECT_EQ(cam.m_watch.m_lostCount, c.lostAfter);
    // The frames of the shot are gone whatever the outcome.
    const auto zero = [](const uint8_t* p, size_t n) {
      return std::all_of(p, p + n, [](uint8_t v) { return v == 0; });
    };
    EXPECT_TRUE(zero(cam.m_buffers.live.get(), bytes));
    EXPECT_TRUE(zero(cam.m_buffers.shotStore.get(), size_t(bytes) * kShotStoreFrames));
    for (auto& work : cam.m_buffers.work) EXPECT_TRUE(zero(work.get(), bytes));
  }
}

TEST_F(BallWatch, EmptySwingKeepsTheBallReadySoAHiddenBallFiresAgain) {
  Analysis().outcome = ANALYSIS_EMPTY_SWING;
  CameraOnFrame bay;
  MakeReady(bay);
  CameraPair::RemoveBall(bay);
  DebugCapture debug;
  RunFrames(bay.camera, 2);
  EXPECT_EQ(Analysis().calls, 2);
  EXPECT_EQ(debug.Count(kEmptySwing), 2);
}

// Each camera loses the ball in turn; the putter's readiness ends with the second.
TEST_F(BallWatch, PutterReadinessIsWithdrawnByTheSecondCameraToLoseTheBall) {
  CameraPair pair(CLUB_PUTTER);
  pair.Step(110);
  ASSERT_EQ(messages.Count(clientlink::CODE_BALL_READY), 1);
  EXPECT_EQ(messages.messages[0].lParam, CLUB_PUTTER);

  CameraPair::RemoveBall(pair.main);
  pair.Step(20);
  EXPECT_EQ(Analysis().calls, 1);
  EXPECT_EQ(messages.Count(clientlink::CODE_BALL_NOT_READY), 0);

  CameraPair::RemoveBall(pair.side);
  pair.Step(20);
  EXPECT_EQ(Analysis().calls, 2);
  EXPECT_EQ(messages.Count(clientlink::CODE_BALL_NOT_READY), 1);
  EXPECT_EQ(messages.messages.back().lParam, 0);
}

// For the other clubs the side camera giving up is enough: it drops the main camera's readiness,
// and the main camera withdraws it.
TEST_F(BallWatch, SideCameraLosingTheBallEndsTheMainCamerasReadiness) {
  CameraPair pair(CLUB_IRON);
  pair.Step(110);
  ASSERT_EQ(messages.Count(clientlink::CODE_BALL_READY), 1);
  CameraPair::RemoveBall(pair.side);
  pair.Step(20);
  EXPECT_EQ(Analysis().calls, 1);
  EXPECT_EQ(Analysis().lastCamera, &pair.side.camera);
  EXPECT_EQ(messages.Count(clientlink::CODE_BALL_NOT_READY), 1);
  EXPECT_EQ(messages.Count(clientlink::CODE_BALL_READY), 1);
}

// While a ball waits to be struck, nothing of an earlier shot may be taken for this one: the
// results read "not measured", and the side camera's hand-over slot is empty.
TEST_F(BallWatch, AReadyBallStartsFromEmptyResults) {
  for (const int32_t sensorType : {SENSOR_MAIN, SENSOR_SIDE}) {
    SCOPED_TRACE(sensorType);
    CameraOnFrame bay(sensorType);
    MakeReady(bay);
    TopSideValues late;  // a side camera's result that came after the main camera gave up on it
    late.speedTopSide = 41.0f;
    late.HAngleTopSide = 2.5f;
    late.rect = MakeRect(150, 90, 21, 17);
    TopSideResult().Publish(late);
    bay.camera.m_speed = 41.0f;
    bay.camera.m_clubPathClass = PATH_IN_OUT_DRAW;
    RunFrames(bay.camera, 1);
    EXPECT_EQ(bay.camera.m_speed, kNotMeasured);
    EXPECT_EQ(bay.camera.m_clubPathClass, kNotMeasuredInt);
    TopSideValues taken;
    EXPECT_EQ(TopSideResult().TryTake(&taken), sensorType == SENSOR_MAIN);
  }
}

TEST_F(BallWatch, OperatorModesNeverFire) {
  using Mode = platform::Relaxed<uint8_t> CMainCamera::*;
  for (const Mode mode : {&CMainCamera::m_lightCheckMode, &CMainCamera::m_clubAreaMode,
                          &CMainCamera::m_ballDirectionMode}) {
    Analysis() = ScriptedAnalysis{};
    CameraOnFrame bay;
    MakeReady(bay);
    bay.camera.*mode = 1;
    LightTrigger(bay, 60 * 40);
    CameraPair::RemoveBall(bay);
    RunFrames(bay.camera, 200);
    EXPECT_EQ(Analysis().calls, 0);
    EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_READY);
    // Back in game mode the gone ball fires at once.
    bay.camera.*mode = 0;
    RunFrames(bay.camera, 1);
    EXPECT_EQ(Analysis().calls, 1);
  }
}

// 101 frames of an empty mat after a shot start a new classification, none for the putter.
TEST_F(BallWatch, EmptyMatRestartsTheClassification) {
  struct Case {
    int32_t club;
    int32_t classifyCount;
  };
  for (const Case c : {Case{CLUB_IRON, 1}, Case{CLUB_PUTTER, 0}}) {
    SCOPED_TRACE(c.club);
    CameraOnFrame bay;
    bay.camera.m_watch.m_classifyCount = kClassificationDecided;
    MakeReady(bay, c.club);
    CameraPair::RemoveBall(bay);
    RunFrames(bay.camera, 1);  // the shot
    RunFrames(bay.camera, 100);
    EXPECT_EQ(bay.camera.m_watch.m_classifyCount, kClassificationDecided);
    RunFrames(bay.camera, 1);
    EXPECT_EQ(bay.camera.m_watch.m_classifyCount, c.classifyCount);
    EXPECT_EQ(bay.camera.m_watch.m_ballState, BALL_EMPTY);
  }
}

}  // namespace
