// The ball track on shots the simulated cameras render, run by the sensor's own watch and
// analysis on both cameras: what the track keeps must agree with what the scene shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <ostream>
#include <string>

#include "analysis/shot_run.h"
#include "camera_rig.h"
#include "clientlink/client_link.h"
#include "scene_layout.h"
#include "session_plan.h"
#include "strike_motion.h"
#include "support/rendered_session.h"

namespace {

constexpr double kFps = 500.0;
constexpr double kTimeoutS = 60.0;

struct ShotCase {
  const char* name;
  sim::Spot spot;
  const char* area;
  double speed, hla, vla;
  bool rightHand;
  bool chrome = false;  // a steel shaft that shines beside the ball
};

// Names the case in test listings, which would otherwise show its bytes.
void PrintTo(const ShotCase& c, std::ostream* os) {
  *os << c.name;
}

const char* AreaName(sim::Spot spot) {
  return sim::SpotName(spot);
}

std::string ScriptFor(const ShotCase& c) {
  char text[512];
  std::snprintf(text, sizeof text,
                "fps free %g together\ncameras 2\nseed 21\nat 1.0 place %s\n"
                "at 4.0 shot speed=%g hla=%g vla=%g backspin=5000 hand=%s club=%s\nend 6\n",
                kFps, AreaName(c.spot), c.speed, c.hla, c.vla, c.rightHand ? "right" : "left",
                c.chrome ? "chrome" : "dark");
  return text;
}

// The horizontal angle a camera sees between the resting ball and the ball tau seconds after
// impact: the direction of the ball's move in its picture.
double SeenAngle(sim::CameraRole role, const ShotCase& c, double tau) {
  sim::StrikeParams s;
  s.speed = c.speed;
  s.hla = c.hla;
  s.vla = c.vla;
  const sim::Vec3 rest = sim::RestCentre(c.spot);
  double u0, v0, u1, v1;
  sim::RigCamera(role).Project(rest, u0, v0);
  sim::RigCamera(role).Project(sim::BallCentreAfterImpact(s, rest, tau), u1, v1);
  return std::atan((u1 - u0) / (v0 - v1)) * 180 / M_PI;
}

// The resting ball's row as the camera's run logged it (the watch forgets it once the ball has
// gone).
int32_t RestRowOf(const std::vector<ShotDirectory>& records, bool main) {
  const std::string key = "m_foundBallArea.m_y : ";
  for (const ShotDirectory& r : records) {
    const size_t at = r.log.find(key);
    if (r.main == main && at != std::string::npos)
      return std::atoi(r.log.c_str() + at + key.size());
  }
  return -1;
}

int32_t FoundLimit(sim::Spot spot) {
  return spot == sim::Spot::kTee ? 4 : 8;
}

class RenderedTrack : public ::testing::TestWithParam<ShotCase> {};

TEST_P(RenderedTrack, KeepsTheBallOfEveryFrameOnBothCameras) {
  const ShotCase& c = GetParam();
  const bool putt = c.spot == sim::Spot::kPutt;
  RenderedSession session(ScriptFor(c));
  // The golf client selects the putter; the sensor never classifies a putt.
  ASSERT_TRUE(session.Run(2, kTimeoutS, putt ? 12 : -1)) << "both cameras' analyses should end";
  CMainCamera* cameras[] = {&session.core().mainCamera(), &session.core().sideCamera()};
  const auto records = session.Records();
  for (int role = 0; role < 2; ++role) {
    SCOPED_TRACE(role == 0 ? "main camera" : "side camera");
    const CMainCamera& camera = *cameras[role];
    EXPECT_EQ(camera.m_analysis.handedness, c.rightHand ? HAND_RIGHT : HAND_LEFT);
    const int32_t restY = RestRowOf(records, role == 0);
    ASSERT_GT(restY, 0);
    int first = -1;
    int kept = 0;
    int last = camera.m_balls[0].m_ball.m_rect.m_y > 0 ? 0 : -1;
    int astray = 0;
    double lastError = 0, lastTolerance = 0, lastSeen = 0;
    for (int k = 1; k < kShotFrames; ++k) {
      const CBall& ball = camera.m_balls[k].m_ball;
      if (ball.m_rect.m_x <= 0 || ball.m_rect.m_y <= 0) continue;
      if (first < 0) first = k;
      ++kept;
      const bool fromRest = last < 0;
      last = k;
      // Shot frame k is 2 (k + 1) ms after impact: the trigger frame is the first one after it.
      const double tau = (k + 1) / kFps;
      double seen = SeenAngle(static_cast<sim::CameraRole>(role), c, tau);
      if (putt) {
        // The putter's rule reads the roll half as long again, and widens angles above 1 degree.
        seen = std::atan(std::tan(seen * M_PI / 180) / 1.5) * 180 / M_PI;
        if (seen > 1) seen *= 1.3;
      }
      // A pixel or two of blob edge over the climb so far, and the pixel by which the resting
      // ball's box, widened to 23, moves its centre.
      const int32_t climbed = std::max(restY - ball.m_rect.m_y, 1);
      lastTolerance = std::atan(3.5 / climbed) * 180 / M_PI + 0.3;
      lastError = ball.m_HAngle - seen;
      lastSeen = seen;
      if (std::abs(lastError) > lastTolerance) ++astray;
      // A rising ball looks a little faster from above than it flies, and the blob's top row
      // moves in steps of two pixels. The first ball after rest counts the strike three quarters
      // of a frame before the trigger frame, which depends on when in the frame the club hit.
      if (!putt && !fromRest) {
        EXPECT_NEAR(ball.m_speed, c.speed, 0.15 * c.speed) << "frame " << k;
      }
    }
    // A frame or two may lose the blob's edge where the ball crosses a painted line (white on
    // white); the last kept frame gives the shot its direction and must read true.
    EXPECT_LE(astray, 2);
    EXPECT_NEAR(lastError, 0.0, lastTolerance) << "seen " << lastSeen;
    EXPECT_EQ(first, 1);
    EXPECT_GE(kept, 2);
    if (!putt) {
      EXPECT_LE(kept, FoundLimit(c.spot));
    }
    ASSERT_GT(last, 0);
    // The direction is the last kept ball's; the main camera's x is later taken halfway to the
    // side camera's.
    const CRectT& lastBall = camera.m_balls[last].m_ball.m_rect;
    EXPECT_EQ(camera.m_ballAreaForHAngle.m_y, lastBall.m_y);
    if (role == 1) {
      EXPECT_EQ(camera.m_ballAreaForHAngle, lastBall);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Areas, RenderedTrack,
    ::testing::Values(
        ShotCase{"DriverRight", sim::Spot::kTee, "tee", 68, 1.5, 12, true},
        ShotCase{"DriverLeft", sim::Spot::kTee, "tee", 65, -2.0, 13, false},
        ShotCase{"IronRight", sim::Spot::kIron, "iron", 45, -2.0, 18, true},
        ShotCase{"IronLeft", sim::Spot::kIron, "iron", 42, 3.0, 20, false},
        ShotCase{"RoughRight", sim::Spot::kRough, "rough", 38, 3.0, 22, true},
        ShotCase{"BunkerRight", sim::Spot::kBunker, "bunker", 28, 0.5, 30, true},
        ShotCase{"BunkerLeft", sim::Spot::kBunker, "bunker", 26, -1.5, 28, false},
        ShotCase{"DriverRightChrome", sim::Spot::kTee, "tee", 68, 1.5, 12, true, true},
        ShotCase{"IronRightChrome", sim::Spot::kIron, "iron", 45, -2.0, 18, true, true},
        ShotCase{"IronLeftChrome", sim::Spot::kIron, "iron", 42, 3.0, 20, false, true},
        ShotCase{"PuttRight", sim::Spot::kPutt, "putt", 2.5, 2.0, 0, true},
        ShotCase{"PuttLeft", sim::Spot::kPutt, "putt", 3.0, -1.5, 0, false}),
    [](const ::testing::TestParamInfo<ShotCase>& info) { return std::string(info.param.name); });

// A practice swing through the ball's place: something ball-like moves in front of the ball while
// the ball stays, and both cameras call it an empty swing; the real shot after it is delivered.
TEST(RenderedSessions, APracticeSwingIsAnEmptySwingAndOnlyTheShotIsDelivered) {
  RenderedSession session(RenderedSession::FreeRunning("empty_swing.txt"));
  ASSERT_TRUE(session.Run(4, kTimeoutS));
  const auto records = session.Records();
  ASSERT_EQ(records.size(), 4u);
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(records[i].name);
    EXPECT_TRUE(records[i].Refused());
    EXPECT_TRUE(records[i].Has("-> Empty Swing <-"));
  }
  const auto codes = session.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), clientlink::CODE_SHOT_RESULT), 1);
  EXPECT_TRUE(records[2].Delivered() || records[3].Delivered());
}

// A ball struck far to the side leaves the region the track searches before it is high up the
// picture: what the track kept points too far sideways for a shot, and nothing is delivered.
TEST(RenderedSessions, ABallLeavingTheWindowSidewaysIsNoShot) {
  RenderedSession session(
      "fps free 500 together\ncameras 2\nseed 21\nat 1.0 place iron\n"
      "at 4.0 shot speed=30 hla=50 vla=12 backspin=5000 hand=right\nend 6\n");
  ASSERT_TRUE(session.Run(2, kTimeoutS));
  for (const ShotDirectory& r : session.Records()) {
    SCOPED_TRACE(r.name);
    EXPECT_TRUE(r.Refused());
    EXPECT_TRUE(r.Has("-> No Ball <-"));
  }
  EXPECT_TRUE(session.Delivered().empty());
}

}  // namespace
