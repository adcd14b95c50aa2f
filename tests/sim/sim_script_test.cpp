// Session scripts: what they accept, what they refuse (with the line), the truth lines they make
// and the frame times they give.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "frame_clock.h"
#include "scene_snapshot.h"
#include "session_plan.h"
#include "truth_log.h"

namespace {

TEST(SessionScript, ReadsTheDirectivesOfTheExample) {
  const char* text =
      "fps 500                       # frame rate\n"
      "cameras swap\n"
      "seed 7\n"
      "at 0.5 place iron 20 -10\n"
      "at 2.0 shot speed=45 hla=2.5 vla=18 backspin=6000 sidespin=-300 hand=right path=1.5 "
      "club=chrome\n"
      "at 3.0 remove\n"
      "at 4.0 swing hand=left\n"
      "at 5.0 fail main read 0.2\n"
      "at 6.0 light 0.7\n"
      "end 10\n";
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(text, plan, error)) << error;
  EXPECT_FALSE(plan.free_run);
  EXPECT_EQ(plan.fps, 500);
  EXPECT_TRUE(plan.swapped);
  EXPECT_EQ(plan.seed, 7u);
  EXPECT_EQ(plan.end_t, 10);
  ASSERT_EQ(plan.events.size(), 6u);
  EXPECT_EQ(plan.events[1].spot, sim::Spot::kIron);
  EXPECT_NEAR(plan.events[1].rest.x, sim::RestCentre(sim::Spot::kIron).x + 20, 1e-9);
  EXPECT_EQ(sim::TruthLine(plan.events[1]),
            "{\"t\":2.0,\"kind\":\"shot\",\"area\":\"iron\",\"hand\":\"right\",\"speed\":45.0,"
            "\"hla\":2.5,\"vla\":18.0,\"backspin\":6000,\"sidespin\":-300,\"path\":1.5,"
            "\"club\":\"chrome\"}");
  EXPECT_FALSE(plan.events[3].strike.right_hand);
  EXPECT_EQ(plan.events[3].strike.club, sim::ClubFinish::kDark);

  sim::SceneSnapshot s;
  sim::SceneAt(plan, 1.0, s);
  EXPECT_EQ(s.ball_count, 1);
  sim::SceneAt(plan, 2.1, s);  // in flight
  EXPECT_EQ(s.ball_count, 1);
  EXPECT_GT(s.balls[0].z, sim::kBallRadiusMm);
  sim::SceneAt(plan, 6.5, s);
  EXPECT_EQ(s.ball_count, 0);
  EXPECT_EQ(s.light, 0.7);
}

TEST(SessionScript, RefusesBrokenLinesWithTheirNumber) {
  struct Case {
    const char* text;
    const char* where;
    const char* reason;
  };
  const Case cases[] = {
      {"fsp 500\n", "line 1", "unknown directive"},
      {"fps\n", "line 1", "fps"},
      {"fps -3\n", "line 1", "fps"},
      {"\n# comment\ncameras 3\n", "line 3", "cameras"},
      {"seed x\n", "line 1", "seed"},
      {"at 1 place tea\n", "line 1", "tea"},
      {"at 1 place iron 5\n", "line 1", "offset"},
      {"at 2 place iron\nat 1 remove\n", "line 2", "backwards"},
      {"at 1 shot speed=40\n", "line 1", "without a ball"},
      {"at 0 place tee\nat 1 shot hla=2\n", "line 2", "speed="},
      {"at 0 place tee\nat 1 shot speed=500\n", "line 2", "speed must lie"},
      {"at 0 place tee\nat 1 shot speed=40 spin=3\n", "line 2", "unknown key"},
      {"at 0 place tee\nat 1 shot speed=4e\n", "line 2", "number"},
      {"at 1 swing hand=both\n", "line 1", "hand"},
      {"at 0 place tee\nat 1 shot speed=40 club=steel\n", "line 2", "club is dark or chrome"},
      {"at 1 swing club=\n", "line 1", "club is dark or chrome"},
      {"at 1 fail top read 1\n", "line 1", "main or side"},
      {"at 1 fail main read\n", "line 1", "duration"},
      {"at 1 fail main slow 100 1\nat 1.5 fail main slow 50\n", "line 2", "overlap"},
      {"at 1 light -1\n", "line 1", "light"},
      {"at x place tee\n", "line 1", "time"},
      {"replay /nonexistent/a /nonexistent/b\n", "line 1", "cannot read"},
      {"end 0\n", "line 1", "end"},
      // Numbers beyond what a camera or a session can be would overflow the frame clock.
      {"fps 500\nat 1e300 fail main slow 5\n", "line 2", "a week"},
      {"at 604800.5 place tee\n", "line 1", "a week"},
      {"at 1 fail main slow 1e300\n", "line 1", "from 1 to 10000"},
      {"at 1 fail main slow 10001\n", "line 1", "from 1 to 10000"},
      {"at 1 fail main slow 100 1e300\n", "line 1", "a week"},
      {"at 1 fail side read 1e300\n", "line 1", "a week"},
      {"end 1e300\n", "line 1", "a week"},
      {"fps 1e300\n", "line 1", "from 1 to 10000"},
      {"at 1e400 place tee\n", "line 1", "time"},
      // One sign per number.
      {"at +-0 place tee\n", "line 1", "time"},
      {"at 0 place tee\nat 1 shot speed=40 hla=+-5\n", "line 2", "'hla' needs a number"},
      {"at 0 place tee +-5 0\n", "line 1", "offset"},
      {"at 1 light ++1\n", "line 1", "light"},
      // A camera is plugged in once, and one unplugged for good stays out.
      {"cameras 1\nat 1 connect top\n", "line 2", "connect takes main or side"},
      {"cameras 1\nat 1 connect side extra\n", "line 2", "connect takes main or side"},
      {"at 1 connect side\n", "line 1", "side camera is connected already"},
      {"cameras 1\nat 1 connect main\n", "line 2", "main camera is connected already"},
      {"cameras 0\nat 1 connect side\nat 2 connect side\n", "line 3", "connected already"},
      {"cameras 1\nat 1 fail side disconnect\nat 2 connect side\n", "line 3", "for good"},
      // A loop starts over at the end, on paced cameras, with the scene alone.
      {"loop\n", "line 1", "loop needs an 'end' of at least 1 s"},
      {"loop\nend 0.5\n", "line 1", "at least 1 s"},
      {"loop now\nend 5\n", "line 1", "loop takes nothing more"},
      {"fps 500\nloop\nend 10\nfps free\n", "line 2", "paced"},
      {"loop\nat 0 place tee\nat 10 remove\nend 10\n", "line 3", "before end"},
      {"loop\nat 1 fail main read 0.1\nend 5\n", "line 2", "no fail or connect"},
      {"cameras 1\nloop\nat 1 connect side\nend 5\n", "line 3", "no fail or connect"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    sim::SessionPlan plan;
    std::string error;
    EXPECT_FALSE(sim::ParseSessionScript(c.text, plan, error));
    EXPECT_EQ(error.rfind(c.where, 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
}

TEST(SessionScript, TakesNumbersUpToTheirBounds) {
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(
      sim::ParseSessionScript("fps +10000\nat 0 place tee\nat 1 shot speed=40 hla=+5\n"
                              "at 604800 fail main slow 10000 604800\nend 604800\n",
                              plan, error))
      << error;
  EXPECT_EQ(plan.fps, 10000);
  EXPECT_EQ(plan.events[1].strike.hla, 5);
  EXPECT_EQ(plan.end_t, 604800);
  // The last frame of the longest slow period still counts exactly.
  const sim::FrameClock main(plan, sim::CameraRole::kMain);
  EXPECT_EQ(main.FirstAtOrAfter(604800), int64_t{6048000000});
  EXPECT_EQ(main.FirstAtOrAfter(2 * 604800), int64_t{12096000000});
  EXPECT_DOUBLE_EQ(main.TimeOf(12096000000), 2 * 604800.0);
}

TEST(SessionScript, ConnectPlugsInACameraThatWasNotThere) {
  sim::SessionPlan plan;
  std::string error;
  // "cameras" may come after the connect it bears on.
  ASSERT_TRUE(
      sim::ParseSessionScript("at 2 connect side\nat 3 connect main\ncameras 0\n", plan, error))
      << error;
  ASSERT_EQ(plan.events.size(), 2u);
  EXPECT_EQ(plan.events[0].kind, sim::EventKind::kConnect);
  EXPECT_EQ(plan.events[0].camera, sim::CameraRole::kSide);
  EXPECT_EQ(plan.events[1].camera, sim::CameraRole::kMain);
}

// A looping session is its script played again and again, the mat cleared and the light back
// at every wrap: a ball struck late in a round still flies into the next, and the club of a
// round's first strike already swings at the end of the one before.
TEST(SessionScript, ALoopPlaysLikeTheScriptRepeatedOnAClearedMat) {
  const char* round =
      "at 0 place tee\n"
      "at 0.01 shot speed=40 vla=10\n"
      "at 0.5 place iron\n"
      "at 1.0 light 0.5\n"
      "at 1.2 place rough\n"
      "at 1.9 shot speed=30 vla=15 area=iron\n";
  auto shifted = [&](double by) {
    std::string text =
        "at " + std::to_string(by) + " remove\nat " + std::to_string(by) + " light 1\n";
    for (const char* line = round; *line != '\0';) {
      const char* end = std::strchr(line, '\n');
      std::string words(line + 3, end);  // after "at "
      const size_t space = words.find(' ');
      text += "at " + std::to_string(std::stod(words.substr(0, space)) + by) + words.substr(space) +
              "\n";
      line = end + 1;
    }
    return text;
  };
  sim::SessionPlan loop, repeated, once;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(std::string("loop\n") + round + "end 2\n", loop, error))
      << error;
  ASSERT_TRUE(sim::ParseSessionScript(round, once, error)) << error;
  ASSERT_TRUE(sim::ParseSessionScript(std::string(round) + shifted(2) + shifted(4) + "end 6\n",
                                      repeated, error))
      << error;

  auto sorted = [](const sim::SceneSnapshot& s) {
    std::vector<std::array<double, 3>> things;
    for (int i = 0; i < s.ball_count; ++i)
      things.push_back({s.balls[i].x, s.balls[i].y, s.balls[i].z});
    for (int i = 0; i < s.club_count; ++i) {
      things.push_back({1e6 + s.clubs[i].hands.x, s.clubs[i].hands.y, s.clubs[i].hosel.z});
    }
    std::sort(things.begin(), things.end());
    return things;
  };
  sim::SceneSnapshot a, b, alone;
  int flights_across = 0, swings_across = 0;
  for (int k = 0; k < 1000; ++k) {
    const double t = k * 0.004 + 0.0013;  // never on an event's time
    SCOPED_TRACE(t);
    sim::SceneAt(loop, t, a);
    sim::SceneAt(repeated, t, b);
    ASSERT_EQ(a.ball_count, b.ball_count);
    ASSERT_EQ(a.club_count, b.club_count);
    EXPECT_EQ(a.light, b.light);
    const auto sa = sorted(a), sb = sorted(b);
    for (size_t i = 0; i < sa.size(); ++i) {
      for (int j = 0; j < 3; ++j) EXPECT_NEAR(sa[i][j], sb[i][j], 1e-6);
    }
    // What the round alone would not show: the neighbouring rounds' motion.
    const double local = std::fmod(t, 2.0);
    sim::SceneAt(once, local, alone);
    if (local < 0.1 && t > 2 && a.ball_count > alone.ball_count) ++flights_across;
    if (local > 1.9 && a.club_count > alone.club_count) ++swings_across;
    // The first round has no round before it.
    if (t < 2) {
      EXPECT_EQ(a.ball_count, alone.ball_count);
    }
  }
  EXPECT_GT(flights_across, 0);
  EXPECT_GT(swings_across, 0);
}

TEST(SessionScript, ShotStrikesTheNamedOrLatestBall) {
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(
      "at 0 place tee\nat 0 place rough\nat 1 shot speed=30\nat 2 shot speed=30 area=tee\n"
      "at 3 swing\n",
      plan, error))
      << error;
  EXPECT_EQ(plan.events[2].spot, sim::Spot::kRough);
  EXPECT_EQ(plan.events[3].spot, sim::Spot::kTee);
  EXPECT_EQ(sim::TruthLine(plan.events[4]),
            "{\"t\":3.0,\"kind\":\"swing\",\"area\":\"tee\",\"hand\":\"right\",\"path\":0.0,"
            "\"club\":\"dark\"}");
}

TEST(FrameClock, FrameTimesFollowTheRateAndSlowPeriods) {
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript("fps 100\nat 1.0 fail side slow 10 0.5\n", plan, error));
  const sim::FrameClock main(plan, sim::CameraRole::kMain), side(plan, sim::CameraRole::kSide);
  EXPECT_DOUBLE_EQ(main.TimeOf(250), 2.5);
  EXPECT_EQ(main.LatestAt(2.505), 250);
  EXPECT_EQ(main.FirstAtOrAfter(2.505), 251);
  EXPECT_DOUBLE_EQ(side.TimeOf(100), 1.0);
  EXPECT_DOUBLE_EQ(side.TimeOf(101), 1.1);
  EXPECT_DOUBLE_EQ(side.TimeOf(105), 1.5);
  EXPECT_DOUBLE_EQ(side.TimeOf(106), 1.51);
  EXPECT_EQ(side.LatestAt(1.25), 102);
  EXPECT_EQ(side.LatestAt(-1), -1);
  EXPECT_EQ(side.LatestAt(std::nan("")), -1);
}

// The first frame is due at 0, every frame after the one before, and each is the last one due at
// its own time, however the slow periods fall between the frames.
TEST(FrameClock, FramesStayInTimeOrderAcrossSlowPeriods) {
  const char* const scripts[] = {
      "fps 100\nat 1.0 fail side slow 10 0.5\n",
      "fps 100\nat 0 fail side slow 7 0.5\nat 0.5 fail side slow 3 0.5\n",
      // A camera slower than the period is long: no frame falls due in it.
      "fps free 1.294965\nat 1 fail side slow 10 0.25\n",
      "fps 2\nat 0.1 fail side slow 50 0.2\nat 0.35 fail side slow 40 0.1\n",
  };
  for (const char* script : scripts) {
    SCOPED_TRACE(script);
    sim::SessionPlan plan;
    std::string error;
    ASSERT_TRUE(sim::ParseSessionScript(script, plan, error)) << error;
    const sim::FrameClock side(plan, sim::CameraRole::kSide);
    EXPECT_EQ(side.TimeOf(0), 0.0);
    for (int64_t n = 0; n < 60; ++n) {
      EXPECT_LT(side.TimeOf(n), side.TimeOf(n + 1)) << n;
      EXPECT_EQ(side.LatestAt(side.TimeOf(n)), n);
    }
  }
}

TEST(FrameClock, AnEmptySlowPeriodLeavesTheRateAlone) {
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript("fps 1.294965\nat 1 fail side slow 10 0.25\n", plan, error));
  const sim::FrameClock main(plan, sim::CameraRole::kMain), side(plan, sim::CameraRole::kSide);
  for (int64_t n = 0; n < 10; ++n) EXPECT_DOUBLE_EQ(side.TimeOf(n), main.TimeOf(n)) << n;
}

TEST(SessionScript, IdleBayIsTwoCamerasPacedAt500) {
  const sim::SessionPlan plan = sim::IdleBayPlan();
  EXPECT_EQ(plan.camera_count, 2);
  EXPECT_FALSE(plan.free_run);
  EXPECT_EQ(plan.fps, 500);
  EXPECT_TRUE(plan.events.empty());
}

}  // namespace
