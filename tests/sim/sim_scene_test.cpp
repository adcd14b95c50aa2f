// Ties the rendered scene to what the sensor will measure in it: balls inside their club areas,
// bright cores on a dark mat, the trigger strip lit by the first flight frame, rolling speed in
// pixels, the light-check gain ramp and the stereo vertical angle.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "camera_rig.h"
#include "frame_renderer.h"
#include "installation.h"
#include "scene_layout.h"
#include "scene_snapshot.h"
#include "sim/frame_probe.h"
#include "strike_motion.h"

namespace {

using simtest::BrightCentroid;
using simtest::CountAbove;
constexpr int kW = 320;
constexpr sim::CameraRole kRoles[] = {sim::CameraRole::kMain, sim::CameraRole::kSide};

class SceneTest : public ::testing::Test {
 protected:
  std::vector<uint8_t> Render(sim::CameraRole role, const sim::SceneSnapshot& scene,
                              double gain = sim::kNominalGain, int64_t frame = 0) {
    sim::FrameRequest r;
    r.role = role;
    r.x0 = sim::HomeWindowOrigin(role).x;
    r.y0 = sim::HomeWindowOrigin(role).y;
    r.gain = gain;
    r.frame_index = frame;
    std::vector<uint8_t> f(kW * kW);
    renderer_.Render(r, scene, f.data());
    return f;
  }
  std::vector<uint8_t> RenderBall(sim::CameraRole role, sim::Vec3 centre,
                                  double gain = sim::kNominalGain) {
    sim::SceneSnapshot s;
    s.balls[0] = centre;
    s.ball_count = 1;
    return Render(role, s, gain);
  }
  // The ball's pixel box: where it differs from the empty mat.
  struct Box {
    int x0 = kW, y0 = kW, x1 = -1, y1 = -1;
  };
  Box BallBox(sim::CameraRole role, const std::vector<uint8_t>& with_ball) {
    const auto empty = Render(role, sim::SceneSnapshot{});
    Box b;
    for (int y = 0; y < kW; ++y) {
      for (int x = 0; x < kW; ++x) {
        if (std::abs(with_ball[y * kW + x] - empty[y * kW + x]) <= 25) continue;
        b.x0 = std::min(b.x0, x);
        b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x);
        b.y1 = std::max(b.y1, y);
      }
    }
    return b;
  }
  // Centre of the ball of a frame that shows nothing else that moves.
  simtest::Centroid BallCentre(sim::CameraRole role, const std::vector<uint8_t>& with_ball) {
    const Box b = BallBox(role, with_ball);
    return BrightCentroid(with_ball, kW, kW, 110, b.x0, b.y0, b.x1 - b.x0 + 1, b.y1 - b.y0 + 1);
  }

  sim::FrameRenderer renderer_;
};

TEST_F(SceneTest, BallOnEachAreaLiesInThatAreaInBothCameras) {
  for (const auto role : kRoles) {
    const sim::CameraInstallation inst = sim::InstallCamera(role);
    for (int spot = 0; spot < 5; ++spot) {
      SCOPED_TRACE(::testing::Message() << sim::SpotName(static_cast<sim::Spot>(spot)) << " camera "
                                        << static_cast<int>(role));
      const Box b = BallBox(role, RenderBall(role, sim::RestCentre(static_cast<sim::Spot>(spot))));
      const sim::WindowRect& a = inst.areas[spot];
      EXPECT_GE(b.x0, a.x + 11);
      EXPECT_GE(b.y0, a.y + 11);
      EXPECT_LE(b.x1, a.x + a.width - 11);
      EXPECT_LE(b.y1, a.y + a.height - 11);
      // About 21 pixels across (a little wider in the side camera, which sees it obliquely).
      EXPECT_NEAR(b.x1 - b.x0 + 1, 22, 3);
      EXPECT_NEAR(b.y1 - b.y0 + 1, 22, 2);
    }
  }
}

TEST_F(SceneTest, BallCoreIsBrightAndTheMatAroundItDark) {
  for (const auto role : kRoles) {
    for (int spot = 0; spot < sim::kSpotCount; ++spot) {
      SCOPED_TRACE(::testing::Message() << sim::SpotName(static_cast<sim::Spot>(spot)) << " camera "
                                        << static_cast<int>(role));
      const auto f = RenderBall(role, sim::RestCentre(static_cast<sim::Spot>(spot)));
      const auto c = BallCentre(role, f);
      const int cx = static_cast<int>(c.x), cy = static_cast<int>(c.y);
      // The sensor's ball-still-here box (6 x 6) and core box (17 x 17).
      EXPECT_GT(CountAbove(f, kW, kW, cx - 3, cy - 3, 6, 6, 160), 25);
      EXPECT_GT(CountAbove(f, kW, kW, cx - 8, cy - 8, 17, 17, 110), 202);
      // The finder's neighbour boxes round a core box on the ball stay dark at level 100.
      const int x = cx - 8, y = cy - 8;
      EXPECT_LE(CountAbove(f, kW, kW, x + 22, y, 22, 33, 100), 22 * 33 * 20 / 100);
      EXPECT_LE(CountAbove(f, kW, kW, x - 22, y, 22, 33, 100), 22 * 33 * 20 / 100);
      EXPECT_LE(CountAbove(f, kW, kW, x, y - 22, 22, 22, 100), 22 * 22 * 20 / 100);
      // And the mat right round the ball is below 100 everywhere.
      int brightest_around = 0;
      for (int yy = cy - 20; yy <= cy + 20; ++yy) {
        for (int xx = cx - 20; xx <= cx + 20; ++xx) {
          const double r = std::hypot(xx - c.x, yy - c.y);
          if (r < 14 || r > 20 || xx < 0 || yy < 0 || xx >= kW || yy >= kW) continue;
          brightest_around = std::max<int>(brightest_around, f[yy * kW + xx]);
        }
      }
      EXPECT_LT(brightest_around, 100);
    }
  }
}

// An impact on a frame's time is followed by a frame that shows the watch a miss: the strip ahead
// of the ball lights up (full swings), or a ball too fast or too slow for it has left its place.
TEST_F(SceneTest, FirstFlightFrameFiresTheTrigger) {
  struct Case {
    sim::Spot spot;
    double speed, vla;
    int level;
    bool strip;
  };
  const Case cases[] = {
      {sim::Spot::kTee, 20, 25, 150, false},   {sim::Spot::kTee, 40, 12, 150, true},
      {sim::Spot::kIron, 35, 20, 150, true},   {sim::Spot::kRough, 25, 28, 150, true},
      {sim::Spot::kBunker, 25, 35, 160, true}, {sim::Spot::kTee, 70, 12, 150, false},
      {sim::Spot::kIron, 12, 10, 150, false}};
  const double period = 1.0 / sim::kDefaultFps;
  for (const auto role : kRoles) {
    for (const Case& c : cases) {
      SCOPED_TRACE(::testing::Message() << sim::SpotName(c.spot) << " " << c.speed << " camera "
                                        << static_cast<int>(role));
      sim::SessionPlan plan;
      sim::SessionEvent place;
      place.kind = sim::EventKind::kPlace;
      place.spot = c.spot;
      place.rest = sim::RestCentre(c.spot);
      sim::SessionEvent shot = place;
      shot.kind = sim::EventKind::kShot;
      shot.t = 1.0;
      shot.strike.speed = c.speed;
      shot.strike.vla = c.vla;
      plan.events = {place, shot};
      const Box b = BallBox(role, RenderBall(role, place.rest));
      const auto rest = BallCentre(role, RenderBall(role, place.rest));
      // The strip of 60 x 40 pixels ahead of the ball at rest, and its ball-still-here box.
      const int x = (b.x0 + b.x1) / 2 - 30, y = b.y0 - 44;
      const int px = static_cast<int>(rest.x) - 3, py = static_cast<int>(rest.y) - 3;
      sim::SceneSnapshot s;
      sim::SceneAt(plan, 1.0, s);  // the impact frame: club at the ball, ball still there
      const auto impact = Render(role, s);
      EXPECT_LE(CountAbove(impact, kW, kW, x, y, 60, 40, c.level), 192);
      EXPECT_GT(CountAbove(impact, kW, kW, px, py, 6, 6, 160), 25);
      sim::SceneAt(plan, 1.0 + period, s);
      const auto flight = Render(role, s);
      const bool strip = CountAbove(flight, kW, kW, x, y, 60, 40, c.level) > 192;
      const bool gone = CountAbove(flight, kW, kW, px, py, 6, 6, 160) <= 25;
      EXPECT_EQ(strip, c.strip);
      EXPECT_TRUE(strip || gone);
    }
  }
}

TEST_F(SceneTest, RollingBallMovesAsSpeedPeriodAndScaleSayAndTheSpeedRuleReadsIt) {
  for (const double speed : {1.5, 3.0, 6.0}) {
    SCOPED_TRACE(speed);
    sim::StrikeParams putt;
    putt.speed = speed;
    const double fps = sim::kDefaultFps;
    const int frames = static_cast<int>(30 / speed);
    std::vector<double> rows;
    for (int n = 1; n <= frames + 1; n += frames) {
      const sim::Vec3 at =
          sim::BallCentreAfterImpact(putt, sim::RestCentre(sim::Spot::kPutt), n / fps);
      rows.push_back(BallCentre(sim::CameraRole::kMain, RenderBall(sim::CameraRole::kMain, at)).y);
    }
    const double px_per_frame = (rows[0] - rows[1]) / frames;
    // Mean speed over the span, with the mat's rolling resistance.
    const double t0 = 1 / fps, t1 = (frames + 1) / fps;
    const double mean_speed = speed - 0.65 * (t0 + t1) / 2;
    const double mm_per_px = (sim::kCameraHeightMm - sim::kBallRadiusMm) / sim::kFocalPx;
    EXPECT_NEAR(px_per_frame, mean_speed * 1000.0 / fps / mm_per_px, 0.02 * px_per_frame);
    // The sensor's rule: meter 42 from the markers, a fixed 2 ms frame period.
    const double meter_for_image_ratio = 42 * 2.07f / 42;
    EXPECT_NEAR(meter_for_image_ratio * px_per_frame / 2, mean_speed, 0.02 * mean_speed);
  }
}

TEST_F(SceneTest, BallsOnTheMatPointsFailTheLightCheckAtLowGainAndPassHigher) {
  for (const auto role : kRoles) {
    const sim::CameraInstallation inst = sim::InstallCamera(role);
    for (int k = 0; k < 4; ++k) {
      SCOPED_TRACE(::testing::Message() << "mat" << k << " camera " << static_cast<int>(role));
      const sim::Vec3 ball =
          sim::RestCentre(static_cast<sim::Spot>(static_cast<int>(sim::Spot::kMat0) + k));
      const sim::WindowRect& box = inst.mat_points[k];
      auto count = [&](double gain) {
        return CountAbove(RenderBall(role, ball, gain), kW, kW, box.x, box.y, 22, 22, 110);
      };
      EXPECT_LE(count(210), 280);
      EXPECT_GT(count(290), 280);
      EXPECT_LE(count(210), count(250));
      EXPECT_EQ(
          CountAbove(Render(role, sim::SceneSnapshot{}, 360), kW, kW, box.x, box.y, 22, 22, 110),
          0);
    }
  }
}

// The stereo signal: each camera reads the ball's horizontal angle from its shift since rest; a
// rising ball drifts apart in the two pictures by atan(baseline / height x tan(launch angle)), and
// the mean of the two angles is the direction.
TEST_F(SceneTest, TwoCamerasReadDirectionAndLaunchAngle) {
  const double baseline_over_height = 2.0 * sim::kStereoShiftPx / sim::kFocalPx;
  for (const double vla : {8.0, 14.0, 20.0, 28.0}) {
    for (const double hla : {-4.0, 0.0, 5.0}) {
      SCOPED_TRACE(::testing::Message() << "vla " << vla << " hla " << hla);
      sim::StrikeParams strike;
      strike.speed = 40;
      strike.vla = vla;
      strike.hla = hla;
      const sim::Vec3 rest = sim::RestCentre(sim::Spot::kTee);
      double angle[2];
      for (const auto role : kRoles) {
        const auto at_rest = BallCentre(role, RenderBall(role, rest));
        const auto flying = BallCentre(
            role, RenderBall(role, sim::BallCentreAfterImpact(strike, rest, 4 / sim::kDefaultFps)));
        angle[static_cast<int>(role)] =
            -std::atan((at_rest.x - flying.x) / (at_rest.y - flying.y)) * 180 / M_PI;
      }
      const double drift =
          std::atan(baseline_over_height * std::tan(vla * M_PI / 180)) * 180 / M_PI;
      EXPECT_NEAR((angle[0] + angle[1]) / 2, hla, 0.05 * std::abs(hla) + 0.3);
      EXPECT_NEAR(std::abs(angle[0] - angle[1]), drift, 0.08 * drift + 0.3);
    }
  }
}

// The sensor decides the hand from the frame after the strike against the background four frames
// earlier: more change left of the ball than right of it is a right-handed player (whose shaft and
// hands lie left of the ball in the picture).
TEST_F(SceneTest, ClubSideTellsTheHand) {
  for (const bool right_hand : {true, false}) {
    for (const auto role : kRoles) {
      SCOPED_TRACE(::testing::Message()
                   << (right_hand ? "right" : "left") << " camera " << static_cast<int>(role));
      sim::SessionPlan plan;
      sim::SessionEvent place;
      place.spot = sim::Spot::kTee;
      place.rest = sim::RestCentre(sim::Spot::kTee);
      sim::SessionEvent shot = place;
      shot.kind = sim::EventKind::kShot;
      shot.t = 1.0;
      shot.strike.speed = 40;
      shot.strike.vla = 15;
      shot.strike.right_hand = right_hand;
      plan.events = {place, shot};
      const double period = 1.0 / sim::kDefaultFps;
      sim::SceneSnapshot s;
      sim::SceneAt(plan, 1.0 - 3 * period, s);
      const auto background = Render(role, s);
      sim::SceneAt(plan, 1.0 + 2 * period, s);
      const auto after = Render(role, s);
      const Box b = BallBox(role, RenderBall(role, place.rest));
      int left = 0, right = 0;
      for (int y = std::max(0, b.y0 - 55); y < std::min(kW, b.y0 + 77); ++y) {
        for (int x = 0; x < kW; ++x) {
          if (std::abs(after[y * kW + x] - background[y * kW + x]) <= 13) continue;
          left += x < b.x0 - 22;
          right += x >= b.x1 + 23;
        }
      }
      EXPECT_EQ(left > right, right_hand) << left << " left, " << right << " right";
    }
  }
}

TEST_F(SceneTest, GainScalesBrightnessAndNoiseIsSeeded) {
  sim::SceneSnapshot s;
  const auto a = Render(sim::CameraRole::kMain, s, 300, 7);
  const auto b = Render(sim::CameraRole::kMain, s, 300, 7);
  const auto c = Render(sim::CameraRole::kMain, s, 300, 8);
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
  const auto dim = Render(sim::CameraRole::kMain, s, 150, 7);
  double sum_a = 0, sum_dim = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    sum_a += a[i];
    sum_dim += dim[i];
  }
  EXPECT_NEAR(sum_dim / sum_a, 0.5, 0.03);
}

TEST(Installation, BothCamerasShareTheMarkerScale) {
  const sim::CameraInstallation main = sim::InstallCamera(sim::CameraRole::kMain);
  const sim::CameraInstallation side = sim::InstallCamera(sim::CameraRole::kSide);
  EXPECT_EQ(main.meter, 42);
  EXPECT_EQ(side.meter, 42);
  EXPECT_EQ(main.left_width, side.left_width);
  EXPECT_EQ(main.right_width, side.right_width);
  EXPECT_NEAR(main.zero_angle, 0.0, 0.5);
  const std::string text = sim::SettingsFileText(main);
  EXPECT_NE(text.find("[meterForImageRatio]\r\nmeter=42\r\n"), std::string::npos);
  EXPECT_NE(text.find("[cameraPosition]\r\nx=270\r\ny=-90\r\n"), std::string::npos);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}

}  // namespace
