// kestrix-accuracy's join of client deliveries with the simulated truth, and the errors it
// draws from it, on small hand-written sessions.
#include <gtest/gtest.h>

#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "error_summary.h"
#include "free_run_stop.h"
#include "shot_join.h"

namespace {

using namespace accuracy;

const std::string kDriver =
    R"({"t":5.0,"kind":"shot","area":"tee","hand":"right","speed":68.0,"hla":1.5,"vla":12.0,)"
    R"("backspin":2800,"sidespin":-250,"path":1.0})"
    "\n";
const std::string kIron =
    R"({"t":9.0,"kind":"shot","area":"iron","hand":"right","speed":45.0,"hla":-2.0,"vla":18.0,)"
    R"("backspin":6000,"sidespin":300,"path":-1.5})"
    "\n";
const std::string kSwing = R"({"t":2.0,"kind":"swing","area":"iron","hand":"right","path":0.0})"
                           "\n";
const std::string kPutt =
    R"({"t":6.0,"kind":"shot","area":"putt","hand":"left","speed":3.0,"hla":-1.5,"vla":0.0,)"
    R"("backspin":0,"sidespin":0,"path":0.0})"
    "\n";

Arrival Result(size_t truthLines, double speed, double hla = 0) {
  return {{7101,
           {{"clubCode", 0},
            {"pathClass", 2},
            {"hAngle", hla},
            {"vAngle", 12.5},
            {"speed", speed},
            {"backSpin", 2500.0},
            {"sideSpin", -200.0}}},
          truthLines};
}

Arrival Path(double carry) {
  return {{7114, {{"points", 900}, {"carry", carry}, {"apex", 30.0}, {"side", -4.0}}}, 0};
}

Arrival Code(int code) {
  return {{code, nlohmann::ordered_json::object()}, 0};
}

struct JoinCase {
  const char* name;
  std::string truth;
  std::vector<Arrival> arrivals;
  std::vector<size_t> deliveries;  // per event
  std::vector<std::string> marks;
  bool ok;
};

// Names the case in test listings, which would otherwise show its bytes.
void PrintTo(const JoinCase& c, std::ostream* os) {
  *os << c.name;
}

class JoinTest : public ::testing::TestWithParam<JoinCase> {};

TEST_P(JoinTest, CountsEveryEventsDeliveriesAndMarksWhatWasNotPlayed) {
  const JoinCase& c = GetParam();
  const JoinResult join = JoinDeliveries(ParseTruthLines(c.truth), {}, c.arrivals);
  ASSERT_EQ(join.events.size(), c.deliveries.size());
  for (size_t i = 0; i < join.events.size(); ++i) {
    EXPECT_EQ(join.events[i].deliveries.size(), c.deliveries[i]) << "event " << i;
    EXPECT_EQ(DeliveryMark(join.events[i]), c.marks[i]) << "event " << i;
  }
  EXPECT_TRUE(join.unattributed.empty());
  EXPECT_EQ(DeliveredAsPlayed(join), c.ok);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, JoinTest,
    ::testing::Values(
        JoinCase{"ShotDeliveredOnce",
                 kDriver,
                 {Code(7102), Result(1, 70.0), Path(220.0), Code(7103)},
                 {1},
                 {""},
                 true},
        JoinCase{
            "ShotNotDelivered", kDriver, {Code(7102), Code(7103)}, {0}, {"not delivered"}, false},
        JoinCase{"ShotDeliveredTwice",
                 kDriver,
                 {Result(1, 70.0), Path(220.0), Result(1, 71.0), Path(221.0)},
                 {2},
                 {"delivered twice"},
                 false},
        // The result that arrived while only the swing was logged is the swing's, although the
        // shot's line is there by the end.
        JoinCase{"SwingDeliveredAsAShot",
                 kSwing + kIron,
                 {Result(1, 30.0), Path(80.0), Result(2, 44.0), Path(120.0)},
                 {1, 1},
                 {"swing delivered as a shot", ""},
                 false},
        JoinCase{"SwingLeftAlone",
                 kSwing + kIron,
                 {Result(2, 44.0), Path(120.0)},
                 {0, 1},
                 {"", ""},
                 true},
        JoinCase{"PuttWithoutFlightPath", kPutt, {Result(1, 2.8)}, {1}, {""}, true},
        JoinCase{"ThreeDeliveries",
                 kDriver,
                 {Result(1, 70.0), Result(1, 70.0), Result(1, 70.0)},
                 {3},
                 {"delivered 3 times"},
                 false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Join, AFlightPathBelongsToTheResultBeforeIt) {
  // A putt (no path) and then a driver: the one path is the driver's. A path with no result
  // before it is nobody's.
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(kPutt + kDriver), {},
                     {Path(999.0), Result(1, 2.8), Result(2, 70.0), Path(230.5)});
  ASSERT_EQ(join.events.size(), 2u);
  ASSERT_EQ(join.events[0].deliveries.size(), 1u);
  EXPECT_FALSE(join.events[0].deliveries[0].hasPath());
  ASSERT_EQ(join.events[1].deliveries.size(), 1u);
  EXPECT_DOUBLE_EQ(join.events[1].deliveries[0].carry(), 230.5);
  EXPECT_DOUBLE_EQ(join.events[1].deliveries[0].speed(), 70.0);
}

TEST(Join, AResultBeforeAnyTruthIsAFalseShot) {
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(kDriver), {}, {Result(0, 50.0), Path(100.0), Result(1, 70.0)});
  ASSERT_EQ(join.unattributed.size(), 1u);
  EXPECT_DOUBLE_EQ(join.unattributed[0].carry(), 100.0);
  EXPECT_EQ(join.events[0].deliveries.size(), 1u);
  EXPECT_FALSE(DeliveredAsPlayed(join));
}

TEST(Join, StrikesTheCamerasNeverReachedAreNotDelivered) {
  const std::vector<ScriptStrike> script = {{5.0, true, "tee", "right"},
                                            {9.0, true, "iron", "left"}};
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(kDriver), script, {Result(1, 70.0), Path(220.0)});
  ASSERT_EQ(join.events.size(), 2u);
  EXPECT_TRUE(join.events[0].truth.logged);
  const TruthEvent& unreached = join.events[1].truth;
  EXPECT_FALSE(unreached.logged);
  EXPECT_EQ(unreached.area, "iron");
  EXPECT_EQ(unreached.hand, "left");
  EXPECT_EQ(DeliveryMark(join.events[1]), "not delivered");
  EXPECT_FALSE(DeliveredAsPlayed(join));
}

TEST(TruthLines, ALineStillBeingWrittenIsLeftForLaterAndBrokenOnesAreSkipped) {
  const std::string text = kSwing + "not json\n" + kDriver + R"({"t":7.0,"kind":"sh)";
  const std::vector<TruthEvent> truth = ParseTruthLines(text);
  ASSERT_EQ(truth.size(), 2u);
  EXPECT_FALSE(truth[0].shot);
  EXPECT_TRUE(std::isnan(truth[0].speed));
  EXPECT_TRUE(truth[1].shot);
  EXPECT_DOUBLE_EQ(truth[1].sidespin, -250.0);
}

// Summary: measured minus true, each shot by its first delivery.
TEST(Summary, MeansAreOverTheFirstDeliveryOfEveryDeliveredShot) {
  const JoinResult join =
      JoinDeliveries(ParseTruthLines(kSwing + kDriver + kIron + kPutt), {},
                     {Result(1, 99.0),                    // the swing's: not a shot, not counted
                      Result(2, 70.0, 2.5), Path(220.0),  // driver: speed +2, hla +1
                      Result(2, 10.0), Path(50.0),        // its second delivery: not counted
                      Result(3, 41.0, -1.0),              // iron: speed -4, hla +1
                      Result(4, 2.7, -2.5)});             // putt: speed -0.3, hla -1
  const Summary summary = Summarise(join);

  EXPECT_EQ(summary.full.shots, 2u);
  EXPECT_EQ(summary.full.speed.count(), 2u);
  EXPECT_DOUBLE_EQ(summary.full.speed.MeanAbs(), 3.0);
  EXPECT_DOUBLE_EQ(summary.full.speed.MeanSigned(), -1.0);
  // +2/68 and -4/45 in percent.
  EXPECT_NEAR(summary.full.speedPercent.MeanSigned(), (200.0 / 68 - 400.0 / 45) / 2, 1e-9);
  EXPECT_NEAR(summary.full.speedPercent.MeanAbs(), (200.0 / 68 + 400.0 / 45) / 2, 1e-9);
  EXPECT_DOUBLE_EQ(summary.full.hla.MeanSigned(), 1.0);
  // vla 12.5 against 12 and 18.
  EXPECT_DOUBLE_EQ(summary.full.vla.MeanAbs(), 3.0);
  EXPECT_DOUBLE_EQ(summary.full.vla.MeanSigned(), -2.5);
  // Side spin -200 against -250 and 300; back spin 2500 against 2800 and 6000.
  EXPECT_DOUBLE_EQ(summary.full.sidespin.MeanSigned(), (50.0 - 500.0) / 2);
  EXPECT_DOUBLE_EQ(summary.full.sidespin.MeanAbs(), (50.0 + 500.0) / 2);
  EXPECT_DOUBLE_EQ(summary.full.backspin.MeanSigned(), (-300.0 - 3500.0) / 2);

  EXPECT_EQ(summary.putts.shots, 1u);
  EXPECT_NEAR(summary.putts.speed.MeanSigned(), -0.3, 1e-12);
  EXPECT_NEAR(summary.putts.speed.MeanAbs(), 0.3, 1e-12);
  EXPECT_DOUBLE_EQ(summary.putts.hla.MeanSigned(), -1.0);
  // A putt has no vertical angle or spins to compare.
  EXPECT_EQ(summary.putts.vla.count(), 0u);
  EXPECT_EQ(summary.putts.backspin.count(), 0u);
}

TEST(Summary, AQuantityMissingOnEitherSideIsNotCounted) {
  Arrival noSpeed = Result(1, 0.0);
  noSpeed.message.fields["speed"] = nullptr;  // the client writes null for a value not finite
  const Summary summary =
      Summarise(JoinDeliveries(ParseTruthLines(kDriver), {}, {noSpeed, Path(1.0)}));
  EXPECT_EQ(summary.full.shots, 1u);
  EXPECT_EQ(summary.full.speed.count(), 0u);
  EXPECT_TRUE(std::isnan(summary.full.speed.MeanAbs()));
  EXPECT_EQ(summary.full.hla.count(), 1u);
}

// When a free-running session is closed.
TEST(FreeRunStop, AShotIsAnsweredByItsResultAndButForAPuttItsFlightPath) {
  const auto answered = [](const std::string& truth, const std::vector<Arrival>& arrivals) {
    return AllAnswered(JoinDeliveries(ParseTruthLines(truth), {}, arrivals));
  };
  EXPECT_FALSE(answered(kDriver, {Result(1, 70.0)}));
  EXPECT_TRUE(answered(kDriver, {Result(1, 70.0), Path(220.0)}));
  EXPECT_TRUE(answered(kPutt, {Result(1, 2.8)}));
  EXPECT_TRUE(answered(kSwing, {}));
  EXPECT_FALSE(answered(kSwing + kIron, {}));
  // A strike of the script that was never logged is not answered.
  const std::vector<ScriptStrike> script = {{5.0, true, "tee", "right"}, {9.0, false, "", ""}};
  EXPECT_FALSE(AllAnswered(
      JoinDeliveries(ParseTruthLines(kDriver), script, {Result(1, 70.0), Path(220.0)})));
}

struct CloseCase {
  const char* name;
  FreeRunProgress progress;
  double closeAt;
};

void PrintTo(const CloseCase& c, std::ostream* os) {
  *os << c.name;
}

class FreeRunCloseTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(FreeRunCloseTest, WaitsForWhatIsStillToComeAtThePaceSeen) {
  // Strikes at 2 s and 5 s of the session. Timing: settle 3 s or 2 session s, delivery wait 30 s
  // or 10 session s, next strike at 3 times the pace seen (4 at least, 50 before any), slack 10 s.
  EXPECT_DOUBLE_EQ(FreeRunCloseAt({2.0, 5.0}, 8.0, GetParam().progress), GetParam().closeAt);
}

INSTANTIATE_TEST_SUITE_P(
    Progress, FreeRunCloseTest,
    ::testing::Values(
        // started at 100: the first strike 2 session seconds later at the unknown pace of 50
        CloseCase{"NothingLoggedYet", {100, 0, 0, -1e300, 0, false}, 210},
        // the first logged at 103; the second 3 session seconds later
        CloseCase{"BetweenStrikesOnAFastMachine", {100, 1, 103, 103.5, 0.5, false}, 125},
        CloseCase{"BetweenStrikesOnABusyMachine", {100, 1, 103, 103.5, 7, false}, 176},
        CloseCase{"AllLoggedAndAnswered", {100, 2, 106, 106.5, 1, true}, 109.5},
        CloseCase{"AnsweredOnABusyMachine", {100, 2, 106, 106.5, 7, true}, 120.5},
        CloseCase{"AllLoggedOneUnanswered", {100, 2, 106, 105, 1, false}, 136},
        CloseCase{"UnansweredOnABusyMachine", {100, 2, 106, 105, 7, false}, 176}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreeRunStop, AScriptWithoutStrikesPlaysItsLength) {
  EXPECT_DOUBLE_EQ(FreeRunCloseAt({}, 8.0, {100, 0, 0, 104, 0, true}), 111.0);
}

TEST(FreeRunStop, ThePaceIsWallTimeOverSessionTimeWhenTheGapTellsIt) {
  EXPECT_DOUBLE_EQ(ObservedPace(100, 0, 121, 3), 7.0);
  EXPECT_DOUBLE_EQ(ObservedPace(100, 4, 101, 6), 0.5);
  EXPECT_DOUBLE_EQ(ObservedPace(100, 4, 101, 4.2), 0.0);  // strikes too close together
}

}  // namespace
