// The soak's parts that run without any program: the generated round, the golf client's club
// changes, the command line, and the figures drawn from a join and from the sensor's samples.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "accuracy_options.h"
#include "club_selection.h"
#include "process_use.h"
#include "script_outline.h"
#include "session_plan.h"
#include "shot_join.h"
#include "soak_figures.h"
#include "soak_session.h"

namespace {

using namespace accuracy;

// ---- the generated round ----

struct RoundCase {
  int shots;
  uint64_t seed;
  Hand hand;
};

void PrintTo(const RoundCase& c, std::ostream* os) {
  *os << c.shots << " shots, seed " << c.seed << ", " << HandName(c.hand);
}

class SoakRound : public ::testing::TestWithParam<RoundCase> {};

TEST_P(SoakRound, IsASessionTheCamerasPlayWithEveryAreaAndItsShotsInOneHand) {
  const RoundCase& c = GetParam();
  const std::string text = SoakSessionScript({c.shots, c.seed, c.hand});

  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(text, plan, error)) << error << "\n" << text;
  EXPECT_EQ(plan.camera_count, 2);
  EXPECT_GT(plan.end_t, plan.events.back().t);

  const ScriptOutline outline = ReadScriptOutline(text);
  std::set<std::string> areas;
  int shots = 0, swings = 0, chromeShots = 0;
  for (const sim::SessionEvent& e : plan.events) {
    if (e.kind != sim::EventKind::kShot && e.kind != sim::EventKind::kSwing) continue;
    EXPECT_EQ(e.strike.right_hand, c.hand == Hand::kRight) << e.t;
    if (e.kind == sim::EventKind::kSwing) {
      ++swings;
      continue;
    }
    ++shots;
    chromeShots += e.strike.club == sim::ClubFinish::kChrome ? 1 : 0;
    areas.insert(sim::SpotName(e.spot));
  }
  EXPECT_EQ(shots, c.shots);
  EXPECT_EQ(areas, (std::set<std::string>{"tee", "iron", "rough", "bunker", "putt"}));
  EXPECT_GT(swings, 0);
  EXPECT_GT(chromeShots, 0);

  // A practice swing is over the ball of the next shot and never over a putt, so no club
  // change ever waits on a swing.
  for (size_t i = 0; i < outline.strikes.size(); ++i) {
    const ScriptStrike& s = outline.strikes[i];
    if (s.shot) continue;
    ASSERT_LT(i + 1, outline.strikes.size());
    EXPECT_TRUE(outline.strikes[i + 1].shot);
    EXPECT_EQ(outline.strikes[i + 1].area, s.area) << s.t;
    EXPECT_NE(s.area, "putt") << s.t;
  }
}

INSTANTIATE_TEST_SUITE_P(Rounds, SoakRound,
                         ::testing::Values(RoundCase{10, 1, Hand::kRight},
                                           RoundCase{10, 1, Hand::kLeft},
                                           RoundCase{12, 7, Hand::kRight},
                                           RoundCase{200, 3, Hand::kLeft}));

TEST(SoakRoundText, TheSameSpecGivesTheSameRoundAndTheOtherHandAnotherOne) {
  const std::string right = SoakSessionScript({30, 5, Hand::kRight});
  EXPECT_EQ(right, SoakSessionScript({30, 5, Hand::kRight}));
  EXPECT_NE(right, SoakSessionScript({30, 6, Hand::kRight}));
  const std::string left = SoakSessionScript({30, 5, Hand::kLeft});
  EXPECT_NE(left.find("hand=left"), std::string::npos);
  EXPECT_EQ(left.find("hand=right"), std::string::npos);
}

// Each ball lies long enough to be classified and ready before it is struck, and the first of a
// run of putts (or the first full shot after one) longer still, for the club change.
TEST(SoakRoundText, EveryBallLiesLongEnoughBeforeItsStrike) {
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(SoakSessionScript({150, 11, Hand::kRight}), plan, error));
  double placedAt = 0;
  bool wasPutt = false;
  bool afterSwing = false;  // a swing's shot follows the swing on the same ball
  for (const sim::SessionEvent& e : plan.events) {
    if (e.kind == sim::EventKind::kPlace) {
      placedAt = e.t;
      afterSwing = false;
      continue;
    }
    if (e.kind != sim::EventKind::kShot && e.kind != sim::EventKind::kSwing) continue;
    const bool putt = e.spot == sim::Spot::kPutt;
    const double least = (e.spot == sim::Spot::kTee ? 3.0 : 2.5) + (putt != wasPutt ? 1.0 : 0.0);
    if (!afterSwing) {
      EXPECT_GE(e.t - placedAt, least - 1e-9) << e.t;
    }
    afterSwing = e.kind == sim::EventKind::kSwing;
    if (!afterSwing) wasPutt = putt;
  }
}

// ---- club changes ----

struct ChangeCase {
  const char* name;
  std::vector<std::string> areas;  // of the strikes
  std::vector<ClubChange> changes;
};

void PrintTo(const ChangeCase& c, std::ostream* os) {
  *os << c.name;
}

class ClubChangeTest : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(ClubChangeTest, ThePutterBeforeARunOfPuttsAndTheNextAreasClubAfterIt) {
  std::vector<ScriptStrike> strikes;
  for (const std::string& area : GetParam().areas) strikes.push_back({0, true, area, "right"});
  const std::vector<ClubChange> changes = ClubChanges(strikes);
  ASSERT_EQ(changes.size(), GetParam().changes.size());
  for (size_t i = 0; i < changes.size(); ++i) {
    EXPECT_EQ(changes[i].beforeStrike, GetParam().changes[i].beforeStrike) << i;
    EXPECT_EQ(changes[i].clubCode, GetParam().changes[i].clubCode) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, ClubChangeTest,
    ::testing::Values(ChangeCase{"NoPutts", {"tee", "iron", "bunker"}, {}},
                      ChangeCase{"StartsOnTheGreen", {"putt", "putt"}, {{0, 12}}},
                      ChangeCase{"ARound",
                                 {"tee", "rough", "putt", "putt", "tee", "bunker", "putt", "iron"},
                                 {{2, 12}, {4, 0}, {6, 12}, {7, 7}}},
                      ChangeCase{
                          "OutOfTheBunkerAfterAPutt", {"putt", "bunker"}, {{0, 12}, {1, 11}}}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the command line ----

struct SoakArgsCase {
  const char* name;
  std::vector<const char*> args;
  const char* error;  // part of the refusal, or null when accepted
};

void PrintTo(const SoakArgsCase& c, std::ostream* os) {
  *os << c.name;
}

class SoakOptions : public ::testing::TestWithParam<SoakArgsCase> {};

TEST_P(SoakOptions, AcceptsASoakAndRefusesWhatDoesNotGoWithIt) {
  std::vector<const char*> argv{"kestrix-accuracy"};
  argv.insert(argv.end(), GetParam().args.begin(), GetParam().args.end());
  AccuracyOptions options;
  std::string error;
  const bool accepted =
      ParseAccuracyOptions(static_cast<int>(argv.size()), argv.data(), &options, &error);
  if (GetParam().error == nullptr) {
    EXPECT_TRUE(accepted) << error;
  } else {
    EXPECT_FALSE(accepted);
    EXPECT_NE(error.find(GetParam().error), std::string::npos) << error;
  }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, SoakOptions,
    ::testing::Values(
        SoakArgsCase{"Soak", {"--soak", "40", "--seed", "9", "--hands", "left"}, nullptr},
        SoakArgsCase{"NoShots", {"--soak", "0"}, "--soak takes"},
        SoakArgsCase{"NotANumber", {"--soak", "4O"}, "--soak takes"},
        SoakArgsCase{"WithAScript", {"--soak", "4", "--script", "shot_iron.txt"}, "--script"},
        SoakArgsCase{"UnknownHands", {"--soak", "4", "--hands", "ambi"}, "--hands"},
        SoakArgsCase{"NegativeWarmUp", {"--soak", "4", "--warm-up", "-1"}, "--warm-up"},
        SoakArgsCase{"SeedWithoutSoak", {"--script", "shot_iron.txt", "--seed", "3"}, "--soak"},
        SoakArgsCase{"SensorInASoak", {"--soak", "4", "--sensor", "bin/kestrix-sensor"}, nullptr},
        SoakArgsCase{"SensorWithoutProgram", {"--script", "s.txt", "--sensor"}, "--sensor needs"},
        SoakArgsCase{"SensorEmpty", {"--sensor", "", "--script", "s.txt"}, "--sensor needs"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SensorOption, NamesTheProgramRunInsteadOfKestrixHeadless) {
  AccuracyOptions options;
  std::string error;
  const char* plain[] = {"kestrix-accuracy", "--script", "s.txt"};
  ASSERT_TRUE(ParseAccuracyOptions(3, plain, &options, &error)) << error;
  EXPECT_EQ(options.sensor, "");
  const char* given[] = {"kestrix-accuracy", "--sensor", "../ui/kestrix-sensor",
                         "--free",           "--script", "s.txt"};
  ASSERT_TRUE(ParseAccuracyOptions(6, given, &options, &error)) << error;
  EXPECT_EQ(options.sensor, "../ui/kestrix-sensor");
  EXPECT_TRUE(options.freeRun);
  EXPECT_NE(std::string(AccuracyUsage()).find("--sensor PROGRAM"), std::string::npos);
}

TEST(SoakOptionsValues, ASoakFreeRunsWithTheDefaultsUnlessTold) {
  const char* argv[] = {"kestrix-accuracy", "--soak", "1000"};
  AccuracyOptions options;
  std::string error;
  ASSERT_TRUE(ParseAccuracyOptions(3, argv, &options, &error)) << error;
  EXPECT_EQ(options.soakShots, 1000);
  EXPECT_TRUE(options.freeRun);
  EXPECT_EQ(options.hands, "both");
  EXPECT_EQ(options.seed, 1u);
  EXPECT_EQ(options.warmUpShots, 50);
}

// ---- delivery counts and accuracy ----

std::string Truth(double t, const char* kind, const char* area, double speed, double hla,
                  double vla) {
  return R"({"t":)" + std::to_string(t) + R"(,"kind":")" + kind + R"(","area":")" + area +
         R"(","hand":"right","speed":)" + std::to_string(speed) + R"(,"hla":)" +
         std::to_string(hla) + R"(,"vla":)" + std::to_string(vla) +
         R"(,"backspin":3000,"sidespin":0,"path":0.0})"
         "\n";
}

Arrival Result(size_t truthLines, double speed, double hla, double vla) {
  return {{7101, {{"speed", speed}, {"hAngle", hla}, {"vAngle", vla}, {"backSpin", 3000.0}}},
          truthLines};
}

Arrival Path() {
  return {{7114, {{"points", 700}, {"carry", 200.0}}}, 0};
}

TEST(SoakCounts, CountsEachWayASessionCanBeDeliveredOtherwiseThanPlayed) {
  const std::string truth = Truth(1, "shot", "tee", 60, 0, 12) +      // once
                            Truth(5, "swing", "iron", 0, 0, 0) +      // delivered as a shot
                            Truth(6, "shot", "iron", 40, 0, 20) +     // three times
                            Truth(9, "shot", "rough", 35, 0, 22) +    // lost
                            Truth(12, "shot", "bunker", 25, 0, 33) +  // without its flight path
                            Truth(15, "shot", "putt", 3, 0, 0);       // a putt has none
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(truth), {},
                     {Result(0, 10, 0, 0), Result(1, 60, 0, 12), Path(), Result(2, 20, 0, 5),
                      Path(), Result(3, 40, 0, 20), Path(), Result(3, 40, 0, 20),
                      Result(3, 40, 0, 20), Path(), Result(5, 25, 0, 33), Result(6, 3, 0, 0)});
  const DeliveryCounts c = CountDeliveries(join);
  EXPECT_EQ(c.shotsScripted, 5u);
  EXPECT_EQ(c.shotsDelivered, 4u);
  EXPECT_EQ(c.shotsLost, 1u);
  EXPECT_EQ(c.duplicates, 2u);
  EXPECT_EQ(c.withoutPath, 1u);
  EXPECT_EQ(c.swingsScripted, 1u);
  EXPECT_EQ(c.swingsDelivered, 1u);
  EXPECT_EQ(c.unattributed, 1u);
  EXPECT_FALSE(c.AsPlayed());

  DeliveryCounts clean;
  clean.shotsScripted = clean.shotsDelivered = 3;
  clean.swingsScripted = 1;
  EXPECT_TRUE(clean.AsPlayed());
  clean += c;
  EXPECT_EQ(clean.shotsScripted, 8u);
  EXPECT_FALSE(clean.AsPlayed());
}

struct FarCase {
  const char* name;
  const char* area;
  double speed, hla, vla;  // measured, against a truth of 50 m/s (3 for the putt), 0 and 20
  bool far;
};

void PrintTo(const FarCase& c, std::ostream* os) {
  *os << c.name;
}

class FarOffTest : public ::testing::TestWithParam<FarCase> {};

TEST_P(FarOffTest, ByTheSpeedInPercentAndTheAnglesInDegrees) {
  const FarCase& c = GetParam();
  const bool putt = std::string(c.area) == "putt";
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(Truth(1, "shot", c.area, putt ? 3 : 50, 0, putt ? 0 : 20)), {},
                     {Result(1, c.speed, c.hla, c.vla)});
  EXPECT_EQ(FarOff(join.events[0]), c.far);
}

INSTANTIATE_TEST_SUITE_P(Shots, FarOffTest,
                         ::testing::Values(FarCase{"Close", "iron", 53, -2, 22, false},
                                           FarCase{"SpeedJustWithin", "iron", 54.9, 0, 20, false},
                                           FarCase{"SpeedBeyond", "iron", 44.9, 0, 20, true},
                                           FarCase{"DirectionBeyond", "tee", 50, 5.1, 20, true},
                                           FarCase{"LaunchBeyond", "bunker", 50, 0, 14.5, true},
                                           FarCase{"PuttAFifthSlow", "putt", 2.4, 1, 0, false},
                                           FarCase{"PuttAThirdFast", "putt", 4.0, 0, 0, true},
                                           FarCase{"PuttWithoutLaunchAngle", "putt", 3, 0, 0,
                                                   false},
                                           FarCase{"SpeedMissing", "rough", NAN, 0, 20, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SoakAccuracy, EveryAreaInTurnWithItsOwnShotsAndFarOnes) {
  const std::string truth = Truth(1, "shot", "tee", 60, 0, 12) +
                            Truth(5, "shot", "tee", 70, 0, 10) +
                            Truth(8, "swing", "iron", 0, 0, 0) + Truth(9, "shot", "putt", 3, 0, 0);
  const JoinResult join = JoinDeliveries(
      ParseTruthLines(truth), {},
      {Result(1, 63, 1, 12), Path(), Result(2, 70, 9, 10), Path(), Result(4, 3, 0, 0)});
  const std::vector<AreaAccuracy> areas = AccuracyByArea(join);
  ASSERT_EQ(areas.size(), 5u);
  EXPECT_EQ(areas[0].area, "tee");
  EXPECT_EQ(areas[0].scripted, 2u);
  EXPECT_EQ(areas[0].errors.shots, 2u);
  EXPECT_EQ(areas[0].farOff, 1u);
  EXPECT_DOUBLE_EQ(areas[0].errors.hla.MeanAbs(), 5.0);
  EXPECT_NEAR(areas[0].errors.speedPercent.MeanSigned(), 2.5, 1e-9);
  EXPECT_EQ(areas[1].scripted, 0u);  // the swing is no shot
  EXPECT_EQ(areas[4].area, "putt");
  EXPECT_EQ(areas[4].errors.shots, 1u);
  EXPECT_EQ(areas[4].errors.vla.count(), 0u);
}

// ---- memory and descriptors ----

// One sample per result count, with what the sensor held then.
std::vector<ResourceSample> Samples(std::vector<std::pair<long, int>> use) {
  std::vector<ResourceSample> samples;
  for (size_t i = 0; i < use.size(); ++i) samples.push_back({i, use[i].first, use[i].second});
  return samples;
}

TEST(SoakResources, AShotHoldingFilesForAMomentIsNoLeak) {
  // Warm-up after 2; every other sample is a shot being written.
  std::vector<ResourceSample> samples = Samples({{900, 5},
                                                 {1000, 8},
                                                 {1200, 8},
                                                 {1300, 10},
                                                 {1200, 8},
                                                 {1300, 10},
                                                 {1200, 8},
                                                 {1300, 10},
                                                 {1200, 8},
                                                 {1300, 10},
                                                 {1200, 8},
                                                 {1300, 10}});
  samples.push_back({11, 1200, 8});  // the quiet after the last shot
  const ResourceFigures f = ResourceFiguresOf(samples, 2);
  ASSERT_TRUE(f.measured);
  EXPECT_EQ(f.rssWarmKiB, 1200);
  EXPECT_EQ(f.rssEndKiB, 1200);
  EXPECT_EQ(f.RssGrowthKiB(), 0);
  EXPECT_DOUBLE_EQ(f.RssGrowthPercent(), 0.0);
  EXPECT_EQ(f.rssPeakKiB, 1300);
  EXPECT_EQ(f.fdsWarm, 8);
  EXPECT_EQ(f.fdsEnd, 8);
  EXPECT_FALSE(f.FdsGrew());
}

TEST(SoakResources, ADescriptorKeptPerShotGrowsAndALateWarmUpStepStaysInTheFirstHalf) {
  std::vector<std::pair<long, int>> use;
  for (int shot = 0; shot <= 40; ++shot) use.push_back({shot < 12 ? 1000 : 1500, 10 + shot});
  const ResourceFigures f = ResourceFiguresOf(Samples(use), 2);
  ASSERT_TRUE(f.measured);
  EXPECT_EQ(f.fdsWarm, 12);
  EXPECT_EQ(f.fdsEnd, 50);
  EXPECT_TRUE(f.FdsGrew());
  EXPECT_EQ(f.RssGrowthKiB(), 500);
  EXPECT_DOUBLE_EQ(f.RssGrowthPercent(), 50.0);
  EXPECT_EQ(f.RssSecondHalfGrowthKiB(), 0);
}

TEST(SoakResources, ARunThatNeverWarmedUpIsNotMeasured) {
  const ResourceFigures f = ResourceFiguresOf(Samples({{1000, 9}, {1000, 9}}), 50);
  EXPECT_FALSE(f.measured);
  EXPECT_FALSE(f.FdsGrew());
  EXPECT_FALSE(ResourceFiguresOf({}, 0).measured);
}

TEST(SoakVerdict, NamesEveryFailureByItsHand) {
  SoakRunFigures right;
  right.hand = "right";
  right.sensorStatus = 0;
  right.counts.shotsScripted = right.counts.shotsDelivered = 10;
  SoakRunFigures left = right;
  left.hand = "left";
  left.counts.shotsLost = 1;
  left.counts.swingsDelivered = 2;
  left.resources.measured = true;
  left.resources.fdsWarm = 9;
  left.resources.fdsEnd = 11;
  left.sensorStatus = 134;
  EXPECT_TRUE(right.Ok());
  EXPECT_FALSE(left.Ok());
  EXPECT_EQ(SoakFailures({right, left}),
            (std::vector<std::string>{"left: 1 shot lost", "left: 2 practice swings delivered",
                                      "left: descriptors 9 -> 11",
                                      "left: the sensor ended with status 134"}));
}

TEST(ProcessUse, ReadsOurOwnMemoryAndDescriptors) {
  const std::optional<ProcessUse> use = ReadProcessUse(::getpid());
  ASSERT_TRUE(use.has_value());
  EXPECT_GT(use->rssKiB, 0);
  EXPECT_GE(use->fds, 3);  // standard input, output and error at least
  EXPECT_FALSE(ReadProcessUse(-1).has_value());
}

TEST(ProcessUse, TakesTheResidentSetFromItsStatusLine) {
  EXPECT_EQ(VmRssKiB("Name:\tx\nVmHWM:\t  9000 kB\nVmRSS:\t  8260 kB\nThreads:\t3\n"), 8260);
  EXPECT_FALSE(VmRssKiB("Name:\tx\nVmHWM:\t  9000 kB\n").has_value());
  EXPECT_FALSE(VmRssKiB("VmRSS:\t  82x0 kB\n").has_value());
}

}  // namespace
