// The corrections and installation adjustments that turn a camera's raw speed and angle into the
// delivered launch data: the gate, the merge of both cameras, the vertical angle and its shaping,
// the speed corrections with the jitter table, the side camera's hand-over and the putter's
// rules. Every run happens inside a directory of its own, from which "vangle_adj.ini" is read.
#include "analysis/adjustment_chain.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "analysis/vangle_adj_table.h"
#include "shot_run_fixture.h"

namespace {

using test_support::TempDir;
using test_support::WriteBytes;

// The offsets added to the speed in turn, one per shot at 2.5 m/s or faster.
constexpr double kJitter[16] = {0.25, 0.09, 0.31, 0.22, 0.15, 0.17, 0.34, 0.02,
                                0.26, 0.06, 0.37, 0.19, 0.12, 0.28, 0.04, 0.33};

// Horizontal angles for both cameras whose difference gives exactly this vertical angle (up to
// 50 degrees, where no reduction applies): the side angle is the tiny remainder that makes the
// difference the exact double nearest target / 1.8.
struct AnglePair {
  float main, side;
};
AnglePair AnglesGiving(double target) {
  const auto main = static_cast<float>(target / 1.8);
  return {main, static_cast<float>(static_cast<double>(main) - target / 1.8)};
}

struct Chain {
  TempDir dir;
  InDirectory cwd{dir.path()};
  RunOnCamera on;

  Chain(int32_t sensorType, int32_t clubType, float speed, float hAngle)
      : on(sensorType, clubType) {
    on.RecordInto(dir);
    CMainCamera& camera = on.camera();
    camera.m_speed = speed;
    camera.m_HAngle = hAngle;
    camera.m_VAngle = 0.0f;  // as the speed selection leaves it
    camera.m_ballAreaForHAngle = MakeRect(160, 120, 22, 22);
  }

  CMainCamera& camera() { return on.camera(); }
  ShotRun& run() { return on.run; }

  void FromSide(float speed, float hAngle) {
    on.run.fromSide.speedTopSide = speed;
    on.run.fromSide.HAngleTopSide = hAngle;
    on.run.fromSide.rect = MakeRect(158, 118, 22, 22);
  }

  void VAngleTable(const std::string& lines) {
    WriteBytes(dir.File(kVAngleAdjFile), "[vangle]\n" + lines);
  }

  Step Run() { return RunAdjustmentChain(on.run); }

  // The first number after "text : " in the first log line starting with prefix.
  double Logged(const std::string& prefix, const std::string& text) const {
    const std::string line = on.LogLine(prefix);
    const size_t at = line.find(text + " : ");
    if (at == std::string::npos) {
      ADD_FAILURE() << "no \"" << text << "\" in a line \"" << prefix << "\"";
      return 0;
    }
    return std::stod(line.substr(at + text.size() + 3));
  }
};

// The speed after the jitter step: before plus entry index of the table plus 0 to 3 hundredths
// (the clock's share), then scaled by the factor of the later adjustments.
void ExpectJittered(double actual, double before, int index, double factor = 1.0) {
  const double lo = (before + kJitter[index]) * factor;
  const double hi = (before + kJitter[index] + 0.03) * factor;
  EXPECT_GE(actual, lo - 1e-4) << "before " << before << ", jitter entry " << index;
  EXPECT_LE(actual, hi + 1e-4) << "before " << before << ", jitter entry " << index;
}

void ExpectEnded(const Chain& chain, Step step) {
  EXPECT_EQ(step, Step::kEnd);
  EXPECT_EQ(chain.on.run.outcome, ANALYSIS_NO_SHOT);
  ASSERT_NE(chain.on.run.suffix, nullptr);
  EXPECT_STREQ(chain.on.run.suffix, "---");
}

TEST(AdjustmentChain, GateNeedsASpeedAndAPlausibleDirection) {
  struct Row {
    int32_t sensorType;
    float speed, hAngle;
    bool passes;
  };
  const Row rows[] = {
      {SENSOR_MAIN, 1000, 0, false},  {SENSOR_MAIN, 0, 0, false},
      {SENSOR_MAIN, -1, 0, false},    {SENSOR_MAIN, 30, 1000, false},
      {SENSOR_MAIN, 30, 40, false},   {SENSOR_MAIN, 30, -40, false},
      {SENSOR_MAIN, 30, 39.9f, true}, {SENSOR_MAIN, 30, -39.9f, true},
      {SENSOR_MAIN, 0.01f, 0, true},  {SENSOR_SIDE, 1000, 0, false},
      {SENSOR_SIDE, 30, 45, false},   {SENSOR_SIDE, 30, 10, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.sensorType) + ": speed " + std::to_string(row.speed) +
                 ", angle " + std::to_string(row.hAngle));
    Chain chain(row.sensorType, CLUB_IRON, row.speed, row.hAngle);
    chain.FromSide(30, 0);
    const Step step = chain.Run();
    if (row.passes) {
      EXPECT_EQ(step, Step::kGoOn);
      EXPECT_EQ(chain.on.LogLine("-> No Ball"), "");
    } else {
      ExpectEnded(chain, step);
      EXPECT_EQ(chain.on.LogLine("-> No Ball"), "-> No Ball <-");
      EXPECT_EQ(chain.on.LogLine("-> No HAngle Cam2"), "");
    }
  }
}

TEST(AdjustmentChain, MainCameraNeedsTheSideCamerasAngle) {
  Chain chain(SENSOR_MAIN, CLUB_IRON, 30, 0);
  chain.FromSide(30, kNotMeasured);
  ExpectEnded(chain, chain.Run());
  const std::vector<std::string> lines = chain.on.LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "-> No HAngle Cam2 <-");
  EXPECT_EQ(lines[1], "-> No Ball <-");
}

TEST(AdjustmentChain, ShotsWithoutTheSideCamerasAngle) {
  // Putts of the main camera and every shot of the side camera go on without it.
  struct Row {
    int32_t sensorType, clubType;
  };
  for (const Row row : {Row{SENSOR_MAIN, CLUB_PUTTER}, Row{SENSOR_SIDE, CLUB_IRON}}) {
    SCOPED_TRACE(row.sensorType);
    Chain chain(row.sensorType, row.clubType, 3, 1);
    EXPECT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_EQ(chain.on.LogLine("-> No HAngle Cam2"), "");
  }
}

TEST(AdjustmentChain, MergesBothCamerasSpeeds) {
  struct Row {
    float main, side, merged;
  };
  const Row rows[] = {
      {40, 50, 45},                                        // 10 <= 20: the mean
      {40, 90, 40},                                        // 50 > 20: the slower
      {90, 40, 40},           {50, 40, 45}, {40, 60, 50},  // 20 is still within half of 40
      {40, 61, 40},           {40, 30, 35},                // 10 <= 15
      {40, 20, 20},                                        // 20 > 10
      {40, kNotMeasured, 40},                              // no side speed: the main camera's own
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.main) + " and " + std::to_string(row.side));
    Chain chain(SENSOR_MAIN, CLUB_IRON, row.main, 0);
    chain.FromSide(row.side, 0);
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(chain.Logged("-> Cam1 Speed Adj From VAngle", "speed"), row.merged, 1e-5);
    EXPECT_EQ(chain.on.LogLine("-> Cam1 Speed Adj - ").empty(), row.side == kNotMeasured);
  }
}

TEST(AdjustmentChain, VerticalAngleShaping) {
  struct Row {
    const char* what;
    int32_t clubType;
    AnglePair angles;  // give the stereo angle
    double expected;
    float multi = 0, plus = 0;  // the club's installation adjustments (iron plus: default)
    bool ironPlusDefault = true;
  };
  const Row rows[] = {
      // 10 x 1.28 = 12.8 -> x 1.15 = 14.72 -> iron default + 3.0.
      {"the worked example", CLUB_IRON, AnglesGiving(10), 17.72},
      {"driver: no default", CLUB_DRIVER, AnglesGiving(10), 14.72},
      {"rough", CLUB_ROUGH, AnglesGiving(10), 17.72},
      {"bunker", CLUB_BUNKER, AnglesGiving(10), 17.72},
      // No difference: 0.9 x 1.28 = 1.152 -> x 1.2 = 1.3824.
      {"flat iron", CLUB_IRON, {2, 2}, 1.3824 + 3},
      {"flat driver: at least 3", CLUB_DRIVER, {2, 2}, 3},
      // The band limits, each reached exactly after x 1.28.
      {"10 is in the lowest band", CLUB_DRIVER, AnglesGiving(7.8125), 12},
      {"20 is in the second band", CLUB_DRIVER, AnglesGiving(15.625), 23},
      {"40 is in the third band", CLUB_DRIVER, AnglesGiving(31.25), 48},
      {"18: 23.04 x 1.2", CLUB_DRIVER, AnglesGiving(18), 23.04 * 1.2},
      {"36: 46.08 x 1.1", CLUB_DRIVER, AnglesGiving(36), 46.08 * 1.1},
      // 40 apart: 68.4 -> 87.552 -> 96.3 -> at most 80.
      {"steep iron: at most 80", CLUB_IRON, {20, -20}, 80},
      {"driver adjustments: percent, then plus", CLUB_DRIVER, AnglesGiving(10), 14.72 * 1.1 + 2, 10,
       2, false},
      {"iron percent", CLUB_IRON, AnglesGiving(10), 14.72 * 0.5, -50, 0, false},
      {"iron adjusted below 3", CLUB_IRON, AnglesGiving(10), 3, 0, -20, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Chain chain(SENSOR_MAIN, row.clubType, 30, row.angles.main);
    chain.FromSide(30, row.angles.side);
    CMainCamera& camera = chain.camera();
    if (!row.ironPlusDefault) {
      camera.m_VAngleDriverAdjForMulti = row.multi;
      camera.m_VAngleDriverAdjForPlus = row.plus;
      camera.m_VAngleIronAdjForMulti = row.multi;
      camera.m_VAngleIronAdjForPlus = row.plus;
    }
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(camera.m_VAngle, row.expected, 1e-4);
  }
}

TEST(AdjustmentChain, StereoAngleOfTheWorkedExampleIsTen) {
  Chain chain(SENSOR_MAIN, CLUB_IRON, 30, AnglesGiving(10).main);
  chain.FromSide(30, AnglesGiving(10).side);
  ASSERT_EQ(chain.Run(), Step::kGoOn);
  EXPECT_NEAR(chain.Logged("-> Iron VAngle Adj - m_VAngle", "m_VAngle"), 14.72, 1e-5);
  EXPECT_NEAR(chain.camera().m_VAngle, 17.72, 1e-4);
}

TEST(AdjustmentChain, SpeedCorrectionsByRange) {
  // The side camera: no merge and no vertical angle, and no installation adjustments.
  struct Row {
    int32_t clubType;
    float speed;
    double sample;
  };
  const Row rows[] = {
      {CLUB_IRON, 9.99f, 9.99 * 0.88},
      {CLUB_IRON, 10, 9.5},
      {CLUB_IRON, 19.99f, 19.99 * 0.95},
      {CLUB_IRON, 20, 20},
      {CLUB_IRON, 50, 50},
      {CLUB_DRIVER, 9, 9 * 1.07 * 0.88},
      {CLUB_DRIVER, 18.7f, 18.7 * 1.07},
      {CLUB_DRIVER, 50, 53.5},
      {CLUB_IRON, 0.1f, 0.1},
      {CLUB_IRON, 0.01f, 0.1},
      {CLUB_PUTTER, 2, 3.4},
      {CLUB_PUTTER, 20, 34},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.clubType) + " at " + std::to_string(row.speed));
    Chain chain(SENSOR_SIDE, row.clubType, row.speed, 1);
    chain.camera().m_speedAdjForMulti = 50;  // not the reporting camera: never applied
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(chain.run().sampleSpeed, row.sample, 1e-5);
    const double speed = chain.camera().m_speed;
    if (row.sample < 2.5) {
      EXPECT_EQ(chain.camera().m_analysis.speedJitterIndex, 0);
      EXPECT_GE(speed, row.sample - 1e-6);
      EXPECT_LE(speed, row.sample + 0.29 + 1e-5);
    } else {
      EXPECT_EQ(chain.camera().m_analysis.speedJitterIndex, 1);
      ExpectJittered(speed, row.sample, 0);
    }
  }
}

TEST(AdjustmentChain, JitterTableWrapsAfterSixteenShots) {
  TempDir dir;
  InDirectory cwd(dir.path());
  RunOnCamera on(SENSOR_MAIN, CLUB_IRON);
  CMainCamera& camera = on.camera();
  // 30 from both cameras, straight: 0.9 degrees up, 30 - 0.9 * 30 / 100 * 0.32.
  const double before = 30 - 0.9 * 30 / 100 * 0.32;
  for (int shot = 0; shot < 17; ++shot) {
    SCOPED_TRACE(shot);
    on.run.outcome = ANALYSIS_DELIVERED;
    camera.m_speed = 30;
    camera.m_HAngle = 0;
    camera.m_VAngle = 0;
    on.run.fromSide.speedTopSide = 30;
    on.run.fromSide.HAngleTopSide = 0;
    ASSERT_EQ(camera.m_analysis.speedJitterIndex, shot % 16);
    ASSERT_EQ(RunAdjustmentChain(on.run), Step::kGoOn);
    ExpectJittered(camera.m_speed, before, shot % 16);
    EXPECT_EQ(camera.m_analysis.speedJitterIndex, (shot + 1) % 16);
  }
}

TEST(AdjustmentChain, SlowShotsLeaveTheJitterTable) {
  // The speed after the range corrections decides: 2.8 -> 2.464, 2.9 -> 2.552.
  struct Row {
    float speed;
    int32_t indexAfter;
  };
  for (const Row row : {Row{2.8f, 5}, Row{2.9f, 6}, Row{1.0f, 5}, Row{3.0f, 6}}) {
    SCOPED_TRACE(row.speed);
    Chain chain(SENSOR_SIDE, CLUB_IRON, row.speed, 1);
    chain.camera().m_analysis.speedJitterIndex = 5;
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_EQ(chain.camera().m_analysis.speedJitterIndex, row.indexAfter);
  }
}

TEST(AdjustmentChain, SampleSpeedRuleForSteepSlowShots) {
  // 40 degrees apart: 68.4 up (80 delivered); the speed loses 68.4 x 0.32 % first.
  struct Row {
    float speed;
    AnglePair angles;
    double sample;  // after the range corrections
    double factor;
  };
  const double steep = 1 - 68.4 / 100 * 0.32;
  const Row rows[] = {
      {8, {20, -20}, 8 * steep * 0.88, 2},
      {12.5f, {20, -20}, 12.5 * steep * 0.88, 2},
      {4, {20, -20}, 4 * steep * 0.88, 3},                  // sample at most 3
      {15, {20, -20}, 15 * steep * 0.95, 1},                // sample above 9.5
      {8, {10, 0}, 8 * (1 - 18.0 / 100 * 0.32) * 0.88, 1},  // not steep enough
      // 50 up leaves 84 % of the speed: exactly 10, and 9.5 after the range correction; the
      // jittered speed above 9.5 does not matter.
      {11.904762f, AnglesGiving(50), 9.5, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.speed);
    Chain chain(SENSOR_MAIN, CLUB_IRON, row.speed, row.angles.main);
    chain.FromSide(row.speed, row.angles.side);
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(chain.run().sampleSpeed, row.sample, 1e-4);
    ExpectJittered(chain.camera().m_speed, row.sample, 0, row.factor);
    EXPECT_EQ(chain.on.LogLine("-> For Sample Adj").empty(), row.factor == 1);
  }
}

TEST(AdjustmentChain, SideSpinAdjustments) {
  struct Row {
    float spin, multi, slice, plus;
    double expected;
  };
  const Row rows[] = {
      {500, 0, 30, 0, 650},
      {500, 90, 30, 0, 650},  // a positive spin takes the slice percentage only
      {500, 0, -150, 0, 152.8},
      {500, 0, -100, 0, 152.8},  // 0 counts as turned round
      {-500, 20, 0, 0, -600},
      {-500, 20, 90, 0, -600},
      {-500, -150, 0, 0, -152.8},
      {0, 20, 30, 0, -152.8},  // 0 is not positive
      {500, 0, 30, 50, 700},
      {-500, 20, 0, 50, -550},
      {-100, 0, 0, 200, 100},  // the plus comes after the guard
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.spin) + " multi " + std::to_string(row.multi) + " slice " +
                 std::to_string(row.slice) + " plus " + std::to_string(row.plus));
    Chain chain(SENSOR_MAIN, CLUB_IRON, 30, 0);
    chain.FromSide(30, 0);
    CMainCamera& camera = chain.camera();
    camera.m_sideSpin = row.spin;
    camera.m_sideSpinAdjForMulti = row.multi;
    camera.m_sideSpinAdjForMulti_Slice = row.slice;
    camera.m_sideSpinAdjForPlus = row.plus;
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(camera.m_sideSpin, row.expected, 1e-3);
  }
}

TEST(AdjustmentChain, SpeedByVerticalAngleFromTheInstallersTable) {
  // A driver at 10 degrees from the stereo step is shaped to 14.72; -2.22 brings it to 12.5,
  // which is in the "11~" band.
  struct Row {
    const char* what;
    std::string table;
    double factor;
  };
  const Row rows[] = {
      {"11~ = 5", "1~=50\n6~=50\n11~=5\n16~=50\n", 1.05},
      {"11~ = -20", "11~=-20\n16~=50\n", 0.8},
      {"other bands only", "6~=50\n16~=50\n", 1},
      {"no file", "", 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Chain chain(SENSOR_MAIN, CLUB_DRIVER, 30, AnglesGiving(10).main);
    chain.FromSide(30, AnglesGiving(10).side);
    chain.camera().m_VAngleDriverAdjForPlus = -2.22f;
    if (!row.table.empty()) chain.VAngleTable(row.table);
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    ASSERT_NEAR(chain.camera().m_VAngle, 12.5, 1e-4);
    const double before = chain.Logged("-> Speed Adj - m_speed", "m_speed");
    EXPECT_NEAR(chain.camera().m_speed, before * row.factor, 1e-4);
  }
}

TEST(VAngleAdjTable, BandsOfFiveDegrees) {
  TempDir dir;
  std::string file = "[vangle]\n";
  for (int band = 0; band < kVAngleBands; ++band) {
    char key[8];
    VAngleBandKey(band, key, sizeof key);
    file += std::string(key) + "=" + std::to_string(band + 1) + "\n";
  }
  WriteBytes(dir.File("vangle_adj.ini"), file);
  VAngleAdjTable table;
  table.Load(dir.File("vangle_adj.ini").c_str());
  struct Row {
    float vAngle;
    int32_t percent;  // the band number from 1, 0 for none
  };
  const Row rows[] = {
      {0, 0},      {0.99f, 0},  {1, 1},      {3, 1},  {5, 1},    {5.0001f, 2},
      {10, 2},     {10.01f, 3}, {12.5f, 3},  {15, 3}, {46, 10},  {85, 17},
      {85.5f, 18}, {90, 18},    {90.01f, 0}, {-5, 0}, {1000, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.vAngle);
    EXPECT_EQ(table.PercentFor(row.vAngle), row.percent);
  }
  char key[8];
  VAngleBandKey(0, key, sizeof key);
  EXPECT_STREQ(key, "1~");
  VAngleBandKey(2, key, sizeof key);
  EXPECT_STREQ(key, "11~");
  VAngleBandKey(17, key, sizeof key);
  EXPECT_STREQ(key, "86~");

  VAngleAdjTable missing;
  missing.Load(dir.File("no_such.ini").c_str());
  for (const float v : {1.0f, 12.5f, 90.0f}) EXPECT_EQ(missing.PercentFor(v), 0);
}

TEST(AdjustmentChain, PutterHorizontalAngle) {
  struct Row {
    float hAngle, shotAngleAdj, putterPlus;
    double expected;
  };
  const Row rows[] = {
      {-2, 0, 0, -3.5 - 3.5 * 0.44},  // -1.5 first, then 44 % wider to the left
      {1, 0, 0, -0.5 - 0.5 * 0.44},
      {2, 0, 0, 0.5},
      {1.5f, 0, 0, 0},
      {-2, 1, 0, -2.5 - 2.5 * 0.44},
      {-2, 0, 2, -3.5 - 3.5 * 0.44 + 2},  // the putter's own plus comes last
      {3, 0, -4, 1.5 - 4},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.hAngle) + " adj " + std::to_string(row.shotAngleAdj) +
                 " putter " + std::to_string(row.putterPlus));
    Chain chain(SENSOR_MAIN, CLUB_PUTTER, 2, row.hAngle);
    chain.FromSide(2, 10);  // a putt does not take the side camera's angle
    chain.camera().shotAngleAdj = row.shotAngleAdj;
    chain.camera().m_HAngleAdjForPlusForPutter = row.putterPlus;
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_NEAR(chain.camera().m_HAngle, row.expected, 1e-5);
  }
}

TEST(AdjustmentChain, PuttHasNoVerticalAngleOrSpins) {
  Chain chain(SENSOR_MAIN, CLUB_PUTTER, 2, 0);
  CMainCamera& camera = chain.camera();
  camera.m_sideSpin = 500;
  camera.m_sideSpinAdjForPlus = 50;
  camera.m_backSpinAdjForMulti = 10;
  camera.m_speedAdjForMulti = 50;  // for full shots only
  camera.m_speedPuttingAdjForMulti = 10;
  chain.VAngleTable("1~=50\n6~=50\n");
  ASSERT_EQ(chain.Run(), Step::kGoOn);
  EXPECT_EQ(camera.m_VAngle, 0.0f);
  EXPECT_EQ(camera.m_sideSpin, 0.0f);
  EXPECT_EQ(camera.m_backSpin, 0.0f);
  // 2 x 1.7 = 3.4, jittered, then the putting percentage alone.
  EXPECT_NEAR(chain.run().sampleSpeed, 3.4, 1e-5);
  ExpectJittered(camera.m_speed, 3.4, 0, 1.1);
}

TEST(AdjustmentChain, SideCameraHandsOverItsResult) {
  struct Row {
    const char* what;
    int32_t clubType, handedness;
    bool handsOver, reports;
  };
  const Row rows[] = {
      {"full shot", CLUB_IRON, HAND_RIGHT, true, false},
      {"full shot, left-handed", CLUB_DRIVER, HAND_LEFT, true, false},
      {"right-handed putt: the side camera reports it", CLUB_PUTTER, HAND_RIGHT, true, true},
      {"left-handed putt", CLUB_PUTTER, HAND_LEFT, false, false},
      {"putt of undecided hand", CLUB_PUTTER, HAND_UNDECIDED, false, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    TopSideResult().Publish(TopSideValues{1, 2, MakeRect(3, 4, 5, 6)});
    Chain chain(SENSOR_SIDE, row.clubType, 30, -3);
    chain.run().track.handedness = row.handedness;
    chain.camera().m_speedAdjForMulti = 50;
    chain.camera().m_speedPuttingAdjForMulti = 50;
    ASSERT_EQ(chain.Run(), Step::kGoOn);
    EXPECT_EQ(chain.run().puttingUsesSideCamera, row.reports);
    EXPECT_EQ(IsReportingCamera(chain.run()), row.reports);
    TopSideValues slot;
    ASSERT_TRUE(TopSideResult().Peek(&slot));
    if (row.handsOver) {
      // The angle before the final -1.5, the speed after the jitter.
      EXPECT_EQ(slot.HAngleTopSide, -3.0f);
      EXPECT_EQ(slot.rect, MakeRect(160, 120, 22, 22));
      EXPECT_GT(slot.speedTopSide, 0);
      EXPECT_NE(slot.speedTopSide, 1000.0f);
    } else {
      EXPECT_EQ(slot.speedTopSide, 1000.0f);
      EXPECT_EQ(slot.HAngleTopSide, 1000.0f);
      EXPECT_EQ(slot.rect, CRectT{});
    }
    // Only the reporting camera applies the installation's speed percentage, after the
    // hand-over.
    const double factor = row.reports ? 1.5 : 1;
    ExpectJittered(chain.camera().m_speed, chain.run().sampleSpeed, 0, factor);
    if (row.handsOver) {
      EXPECT_NEAR(chain.camera().m_speed, slot.speedTopSide * factor, 1e-4);
    }
    const bool putt = row.clubType == CLUB_PUTTER;
    const double h = -3 - 1.5;
    // The side camera derives no vertical angle: back spin 2000, and nothing at all for a putt.
    EXPECT_EQ(chain.camera().m_VAngle, 0.0f);
    EXPECT_EQ(chain.camera().m_backSpin, putt ? 0.0f : 2000.0f);
    EXPECT_NEAR(chain.camera().m_HAngle, putt ? h - std::abs(h) * 0.44 : h, 1e-5);
  }
  TopSideResult().Empty();
}

// The whole chain for one driver shot with every adjustment set, worked by hand in order:
//  2. speeds 40 and 44 merge to 42; angles 3 and -2 differ by 5: 9 degrees up; the speed loses
//     9 x 42 / 100 x 0.32 = 1.2096: 40.7904.
//  4. back spin (90 - 40.7904) x 0.5 x 9 x 2.42 + 2000 = 2535.892544.
//  5. driver + 7 %: 43.645728.  6. 20 or faster: unchanged; jitter entry 0: + 0.25 (+ 0..0.03).
//  7. angle (-2 + 3) / 2 = 0.5, + 1.0 = 1.5; 9 x 1.28 = 11.52 -> x 1.15 = 13.248 -> driver
//     + 10 % = 14.5728 -> + 2 = 16.5728.
//  9. angle 0.5 + 1.5 - 1.5 = 0.5.
// 10. speed + 10 %: 48.2853008; side spin -1000 - 20 % = -1200, + 50 = -1150; back spin + 10 % =
//     2789.4817984; 16.5728 degrees: band "16~" = -10 %: 43.45677072.
TEST(AdjustmentChain, WorkedDriverShot) {
  Chain chain(SENSOR_MAIN, CLUB_DRIVER, 40, 3);
  chain.FromSide(44, -2);
  CMainCamera& camera = chain.camera();
  camera.m_sideSpin = -1000;
  camera.shotAngleAdj = 0.5f;
  camera.m_HAngleAdjForPlus = 1.0f;
  camera.m_VAngleDriverAdjForMulti = 10;
  camera.m_VAngleDriverAdjForPlus = 2;
  camera.m_speedAdjForMulti = 10;
  camera.m_sideSpinAdjForMulti = 20;
  camera.m_sideSpinAdjForMulti_Slice = 30;
  camera.m_sideSpinAdjForPlus = 50;
  camera.m_backSpinAdjForMulti = 10;
  chain.VAngleTable("11~=40\n16~=-10\n21~=40\n");
  ASSERT_EQ(chain.Run(), Step::kGoOn);

  EXPECT_NEAR(chain.run().sampleSpeed, 43.645728, 1e-4);
  ExpectJittered(camera.m_speed, 43.645728, 0, 1.1 * 0.9);
  EXPECT_NEAR(camera.m_speed, 43.45677072, 0.03);
  EXPECT_NEAR(camera.m_HAngle, 0.5, 1e-5);
  EXPECT_NEAR(camera.m_VAngle, 16.5728, 1e-4);
  EXPECT_NEAR(camera.m_backSpin, 2789.4817984, 1e-2);
  EXPECT_NEAR(camera.m_sideSpin, -1150, 1e-3);
  EXPECT_EQ(camera.m_analysis.speedJitterIndex, 1);

  // The steps log in their order.
  const std::vector<std::string> expectedOrder = {
      "-> Cam1 Speed Adj - m_speed : 40.000000, speedTopSide : 44.000000 <-",
      "-> Cam1 Speed Adj From VAngle - speed : 42.000000, adj_speed : 40.790401 <-",
      "-> Driver Speed Adj - speed : 40.790401, m_speed : 43.645729 <-",
      "-> R Speed Adj - m_speed : ",
      "-> HAngle Adj - m_HAngle : 3.000000, HAngleTopSide : -2.000000 <-",
      "-> HAngle Adj - m_HAngle : 1.500000, m_HAngleAdjForPlus : 1.000000 <-",
      "-> Driver VAngle Adj - m_VAngle : 13.248000, m_VAngleDriverAdjForMulti : 10.000000 <-",
      "-> Driver VAngle Adj - m_VAngle : 16.572800, m_VAngleDriverAdjForPlus : 2.000000 <-",
      "-> Speed Adj - m_speed : ",
      "-> Side Spin Adj(Multi) - m_sideSpin : -1200.000000, m_sideSpinAdjForMulti : 20.000000, "
      "m_sideSpinAdjForMulti_Slice : 30.000000 <-",
      "-> Side Spin Adj(Plus) - m_sideSpin : -1150.000000, m_sideSpinAdjForPlus : 50.000000 <-",
      "-> Back Spin Adj - m_backSpin : ",
  };
  const std::vector<std::string> lines = chain.on.LogLines();
  size_t at = 0;
  for (const std::string& want : expectedOrder) {
    SCOPED_TRACE(want);
    while (at < lines.size() && lines[at].rfind(want, 0) != 0) ++at;
    ASSERT_LT(at, lines.size()) << "missing or out of order";
    ++at;
  }
  EXPECT_EQ(chain.on.LogLine("-> D/I Speed Adj"), "");
}

}  // namespace
