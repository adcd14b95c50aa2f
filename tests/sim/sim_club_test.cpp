// The club as the shot analysis sees it, in the window the sensor centres on a ready ball: a
// chrome shaft reaches the analysis' mask beside the ball on the player's side while a dark club
// never does, and a chrome practice swing over the ball shows the watch and the analysis an empty
// swing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "camera_rig.h"
#include "frame_clock.h"
#include "frame_renderer.h"
#include "scene_layout.h"
#include "scene_snapshot.h"
#include "session_plan.h"
#include "sim/frame_probe.h"

namespace {

using simtest::CountAbove;
using Frame = std::vector<uint8_t>;
constexpr int kW = 320;
constexpr sim::CameraRole kRoles[] = {sim::CameraRole::kMain, sim::CameraRole::kSide};

// The analysis' mask: changed by more than 15 since the background and brighter than 119.
Frame Mask(const Frame& frame, const Frame& background) {
  Frame mask(frame.size());
  for (size_t i = 0; i < frame.size(); ++i) {
    mask[i] = std::abs(frame[i] - background[i]) > 15 && frame[i] > 119 ? 255 : 0;
  }
  return mask;
}

// More than percent of the box (cut to the frame) brighter than level, as the sensor counts.
bool Filled(const Frame& f, int x, int y, int w, int h, int level, int percent) {
  const int x0 = std::max(0, x), y0 = std::max(0, y);
  const int x1 = std::min(kW, x + w), y1 = std::min(kW, y + h);
  if (x1 <= x0 || y1 <= y0) return false;
  return CountAbove(f, kW, kW, x0, y0, x1 - x0, y1 - y0, level) >
         (x1 - x0) * (y1 - y0) * percent / 100;
}

// The 320 x 320 window the sensor centres on a ready ball: its top-left corner at column 160 and
// row 240. Ball position in window pixels.
struct Centred {
  sim::FrameRequest request;
  double cx = 0, cy = 0;
  int top = 0;  // the ball's top row

  Centred(sim::CameraRole role, sim::Vec3 rest, uint32_t seed) {
    const sim::PinholeCamera& cam = sim::RigCamera(role);
    double u = 0, v = 0;
    cam.Project(rest, u, v);
    const double r = cam.focal_px * sim::kBallRadiusMm / (cam.centre.z - rest.z);
    request.role = role;
    request.seed = seed;
    request.x0 = std::clamp(static_cast<int>(std::floor(u - r)) - 160, 0, sim::kSensorWidth - kW);
    request.y0 = std::clamp(static_cast<int>(std::floor(v - r)) - 240, 0, sim::kSensorHeight - kW);
    cx = u - request.x0;
    cy = v - request.y0;
    top = static_cast<int>(std::floor(cy - r));
  }
  // More than 70 % above 160 in the box of that half size at the ball's centre.
  bool BallAt(const Frame& f, int half) const {
    return Filled(f, static_cast<int>(cx) - half, static_cast<int>(cy) - half, 2 * half, 2 * half,
                  160, 70);
  }
  // The watch's trigger: the strip ahead of the ball lit, or the ball hidden.
  bool Triggered(const Frame& f) const {
    return Filled(f, static_cast<int>(cx) - 30, top - 44, 60, 40, 150, 8) || !BallAt(f, 3);
  }
};

class Session {
 public:
  explicit Session(sim::SessionPlan plan) : plan_(std::move(plan)) {}
  int64_t FrameAt(double t, sim::CameraRole role) const {
    return sim::FrameClock(plan_, role).FirstAtOrAfter(t);
  }
  Frame Render(const Centred& window, int64_t n) {
    sim::FrameRequest r = window.request;
    r.frame_index = n;
    sim::SceneAt(plan_, sim::FrameClock(plan_, r.role).TimeOf(n), scene_);
    Frame f(kW * kW);
    renderer_.Render(r, scene_, f.data());
    return f;
  }
  // The scene of the frame rendered last.
  const sim::SceneSnapshot& scene() const { return scene_; }

 private:
  sim::SessionPlan plan_;
  sim::FrameRenderer renderer_;
  sim::SceneSnapshot scene_;
};

sim::SessionPlan Parse(const std::string& text) {
  sim::SessionPlan plan;
  std::string error;
  EXPECT_TRUE(sim::ParseSessionScript(text, plan, error)) << error;
  return plan;
}

// Longest run of mask pixels along a row within [x0, x1) and rows [y0, y1).
int LongestRun(const Frame& mask, int x0, int x1, int y0, int y1) {
  int best = 0;
  for (int y = std::max(0, y0); y < std::min(kW, y1); ++y) {
    int run = 0;
    for (int x = std::max(0, x0); x < std::min(kW, x1); ++x) {
      run = mask[y * kW + x] != 0 ? run + 1 : 0;
      best = std::max(best, run);
    }
  }
  return best;
}

TEST(ClubFinish, ChromeShaftReachesTheMaskBesideTheBallOnThePlayersSide) {
  struct Case {
    const char* spot;
    const char* hand;
    const char* club;
  };
  const Case cases[] = {{"iron", "right", "chrome"}, {"iron", "left", "chrome"},
                        {"tee", "right", "chrome"},  {"tee", "left", "chrome"},
                        {"iron", "right", "dark"},   {"tee", "left", "dark"}};
  for (const Case& c : cases) {
    Session session(Parse(std::string("at 0 place ") + c.spot +
                          "\nat 1.0 shot speed=40 vla=15 hand=" + c.hand + " club=" + c.club +
                          "\n"));
    const bool chrome = std::string(c.club) == "chrome";
    const bool right = std::string(c.hand) == "right";
    for (const auto role : kRoles) {
      SCOPED_TRACE(::testing::Message() << c.spot << " " << c.hand << " " << c.club << " camera "
                                        << static_cast<int>(role));
      sim::Spot spot;
      ASSERT_TRUE(sim::SpotFromName(c.spot, spot));
      const Centred window(role, sim::RestCentre(spot), 1);
      const int64_t impact = session.FrameAt(1.0, role);
      const Frame background = session.Render(window, impact - 4);
      // The frames round the strike: the club comes up to the ball, meets it and follows it.
      for (int64_t n = impact - 1; n <= impact + 2; ++n) {
        SCOPED_TRACE(n - impact);
        const Frame mask = Mask(session.Render(window, n), background);
        // Only the ball fills a ball's core box: a polished head shows no more than a thin line.
        ASSERT_EQ(session.scene().ball_count, 1);
        double bu = 0, bv = 0;
        sim::RigCamera(role).Project(session.scene().balls[0], bu, bv);
        for (int by = 0; by + 17 <= kW; by += 2) {
          for (int bx = 0; bx + 17 <= kW; bx += 2) {
            if (!Filled(mask, bx, by, 17, 17, 150, 70)) continue;
            EXPECT_LT(std::hypot(bx + 8.5 - (bu - window.request.x0),
                                 by + 8.5 - (bv - window.request.y0)),
                      8)
                << "a ball-like spot at " << bx << ", " << by;
          }
        }
        const int x = static_cast<int>(window.cx), y = static_cast<int>(window.cy);
        // Beside the ball: past the head, which reaches up to 30 pixels either side of it. A
        // dark shaft shows at most its edges where it crosses the bright paint.
        const int left = LongestRun(mask, 0, x - 40, y - 80, y + 80);
        const int right_side = LongestRun(mask, x + 40, kW, y - 80, y + 80);
        const int players = right ? left : right_side, others = right ? right_side : left;
        if (chrome) {
          EXPECT_GE(players, 40);
        } else {
          EXPECT_LT(players, 8);
        }
        EXPECT_LT(others, 8);
      }
    }
  }
}

// The analysis' test of a ball-like spot in front of the ball: a 17 x 17 core over 70 % bright in
// the mask, nothing bright in the ball-sized boxes either side, and (the shaft-line rule cannot
// vouch for a spot here: the shaft runs level in the picture) clear of anything else bright beside
// and above it. Scans as the analysis does, from the top, away from the player's side.
std::optional<std::pair<int, int>> BallLikeSpot(const Frame& mask, const Centred& ball,
                                                bool right_hand) {
  const int first = right_hand ? 278 : 42, step = right_hand ? -2 : 2;
  for (int y = 64; y < ball.top - 4; y += 2) {
    for (int x = first; right_hand ? x > 40 : x < 280; x += step) {
      if (!Filled(mask, x, y, 17, 17, 150, 70)) continue;
      if (Filled(mask, x + 22, y, 22, 22, 150, 14) || Filled(mask, x - 22, y, 22, 22, 150, 14)) {
        continue;
      }
      if (Filled(mask, x + 26, y - 66, 66, 88, 120, 4) ||
          Filled(mask, x - 70, y - 66, 66, 88, 120, 4) ||
          Filled(mask, x - 11, y - 37, 44, 22, 120, 4)) {
        continue;
      }
      return std::make_pair(x, y);
    }
  }
  return std::nullopt;
}

// What one camera's watch and analysis see of a swing: the frame where the watch's trigger fires
// (the head hides the ball or the strip ahead of it lights up), then in the analysed frames after
// it whether a ball-like spot lies in front of the ball and whether the ball still shows at rest.
struct SwingSeen {
  bool triggered = false;
  bool spot[4] = {};
  bool ball_at_rest[4] = {};
};

SwingSeen Watch(Session& session, sim::CameraRole role, const Centred& window, double swing_t,
                bool right_hand) {
  SwingSeen seen;
  int64_t trigger = -1;
  const int64_t first = session.FrameAt(swing_t - 0.1, role);
  for (int64_t n = first; n < session.FrameAt(swing_t + 0.1, role); ++n) {
    const Frame f = session.Render(window, n);
    if (n == first) {
      EXPECT_TRUE(window.BallAt(f, 3)) << "no ball ready before the swing";
      EXPECT_FALSE(window.Triggered(f));
    }
    if (window.Triggered(f)) {
      trigger = n;
      break;
    }
  }
  if (trigger < 0) return seen;
  seen.triggered = true;
  const Frame background = session.Render(window, trigger - 4);
  for (int k = 0; k < 4; ++k) {
    const Frame f = session.Render(window, trigger + k);
    seen.spot[k] = BallLikeSpot(Mask(f, background), window, right_hand).has_value();
    seen.ball_at_rest[k] = window.BallAt(f, 4);
  }
  return seen;
}

// An empty swing to the sensor: the trigger fires; a ball-like spot shows in the trigger frame or
// the one after it (two misses end the track) and in the two frames the empty-swing test looks at
// (2 and 3), where the ball still lies where it was.
void ExpectEmptySwing(sim::SessionPlan plan, double swing_t, sim::Vec3 rest, bool right_hand) {
  const uint32_t seed = plan.seed;
  Session session(std::move(plan));
  for (const auto role : kRoles) {
    SCOPED_TRACE(::testing::Message() << "camera " << static_cast<int>(role));
    const SwingSeen seen = Watch(session, role, Centred(role, rest, seed), swing_t, right_hand);
    ASSERT_TRUE(seen.triggered) << "the swing never fires the watch";
    EXPECT_TRUE(seen.spot[0] || seen.spot[1]) << "nothing ball-like right after the trigger";
    for (int k = 2; k <= 3; ++k) {
      EXPECT_TRUE(seen.spot[k]) << "nothing ball-like in analysed frame " << k;
      EXPECT_TRUE(seen.ball_at_rest[k]) << "the ball no longer shows at rest in frame " << k;
    }
  }
}

TEST(EmptySwing, TheDemoScriptsSwingShowsTheSensorAnEmptySwing) {
  std::ifstream in(std::string(KESTRIX_DEMO_DIR) + "/empty_swing.txt");
  std::ostringstream text;
  text << in.rdbuf();
  const sim::SessionPlan plan = Parse(text.str());
  const auto swing = std::find_if(plan.events.begin(), plan.events.end(),
                                  [](const auto& e) { return e.kind == sim::EventKind::kSwing; });
  ASSERT_NE(swing, plan.events.end());
  EXPECT_EQ(swing->strike.club, sim::ClubFinish::kChrome);
  ExpectEmptySwing(plan, swing->t, swing->rest, swing->strike.right_hand);
}

// The swing does not hang on one frame rate or on where its moment falls between two frames.
TEST(EmptySwing, HoldsForBothHandsAtFrameRatesRoundTheDefault) {
  struct Case {
    const char* hand;
    double fps;
    double phase;  // of a frame period
  };
  const Case cases[] = {{"right", 500, 0.0},  {"right", 500, 0.5}, {"left", 500, 0.25},
                        {"left", 500, 0.75},  {"right", 420, 0.3}, {"left", 420, 0.6},
                        {"right", 600, 0.45}, {"left", 600, 0.9}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.hand << " " << c.fps << " fps, phase " << c.phase);
    const double t = 2.0 + c.phase / c.fps;
    std::ostringstream script;
    script << "fps " << c.fps << "\nat 0.5 place iron\nat " << t << " swing hand=" << c.hand
           << " club=chrome\n";
    ExpectEmptySwing(Parse(script.str()), t, sim::RestCentre(sim::Spot::kIron),
                     std::string(c.hand) == "right");
  }
}

// A dark club's practice swing still hides the ball for the watch, but nothing of it looks like a
// ball: the analysis finds no shot rather than an empty swing.
TEST(EmptySwing, DarkClubShowsNothingBallLike) {
  const double t = 2.0;
  const uint32_t seed = 5;
  Session session(Parse("seed 5\nat 0.5 place iron\nat 2.0 swing hand=right\n"));
  for (const auto role : kRoles) {
    SCOPED_TRACE(::testing::Message() << "camera " << static_cast<int>(role));
    const SwingSeen seen =
        Watch(session, role, Centred(role, sim::RestCentre(sim::Spot::kIron), seed), t, true);
    EXPECT_TRUE(seen.triggered);
    for (int k = 0; k < 4; ++k) EXPECT_FALSE(seen.spot[k]) << "analysed frame " << k;
  }
}

}  // namespace
