// Reading shot records back: directory names, log lines, shot.ini, frame dumps and whole data
// folders with records that are broken in the ways a data folder gets broken.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "analysis/frame_dump.h"
#include "gif_animation.h"
#include "reanalysis.h"
#include "shot_frames.h"
#include "shot_list.h"
#include "shot_log.h"
#include "shot_name_parts.h"
#include "shot_record.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using namespace shots;
using test_support::TempDir;
using test_support::WriteBytes;

TEST(ShotName, TellsTimeCameraAndOutcome) {
  struct Case {
    const char* name;
    bool parses;
    const char* camera;
    Outcome outcome;
    double speed;
  };
  const Case cases[] = {
      {"2026-12-11-9-3-7(TopMain)(S 70.46)(H 2.04)(V 10.53)", true, "TopMain", Outcome::kDelivered,
       70.46},
      {"2026-12-11-9-3-7(TopSide)(S 2.10)(H -0.00)(V 0.00)", true, "TopSide", Outcome::kDelivered,
       2.10},
      {"2026-1-2-0-0-0(TopMain)---", true, "TopMain", Outcome::kNoShot, 0},
      {"2026-1-2-0-0-0(TopSide)(fps)---", true, "TopSide", Outcome::kLowFrameRate, 0},
      {"2026-1-2-0-0-0(TopMain)", true, "TopMain", Outcome::kUnfinished, 0},
      {"club_path", false, "", Outcome::kUnfinished, 0},
      {"2026-1-2-0-0-0(TopMain)(S 70)", false, "", Outcome::kUnfinished, 0},
      {"2026-1-2-0-0-0(TopFront)---", false, "", Outcome::kUnfinished, 0},
      {"99999999999999999999-1-2-0-0-0(TopMain)---", false, "", Outcome::kUnfinished, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto parts = ParseShotName(c.name);
    ASSERT_EQ(parts.has_value(), c.parses);
    if (!parts) continue;
    EXPECT_EQ(parts->camera, c.camera);
    EXPECT_EQ(parts->outcome, c.outcome);
    EXPECT_DOUBLE_EQ(parts->speed, c.speed);
  }
  EXPECT_EQ(ParseShotName("2026-12-11-9-3-7(TopMain)---")->TimeText(), "2026-12-11 09:03:07");
}

// The lines of a delivered main-camera shot as the analysis writes them (CRLF, as on site).
const char kDeliveredLog[] =
    "-> MY_PRODUCT_VERSION : 2.0.0.70 <-\r\n"
    "-> captureImageIndex : 0, m_foundBallArea.m_x : 160, m_foundBallArea.m_y : 240, preBall.m_x "
    ": 160, preBall.m_y : 240, ballArea.m_x : 165, ballArea.m_y : 172, preBallIndex : -1 <-\r\n"
    "-> captureImageIndex : 0, _foundBall.m_x : 160, _foundBall.m_width : 23, _ballArea.m_x : "
    "165, _ballArea.m_width : 17, foundBallCenterX : 171.5, ballAreaCenterX : 173.5 <-\r\n"
    "-> captureImageIndex : 2, m_foundBallArea.m_x : 160, m_foundBallArea.m_y : 240, preBall.m_x "
    ": 165, preBall.m_y : 172, ballArea.m_x : 173, ballArea.m_y : 40, preBallIndex : 0 <-\r\n"
    "-> Side Spin(Slice/Hook) <-\r\n"
    "-> side spin - startX : -1, startY : -1, endX : 176, endY : 153 <-\r\n"
    "-> Driver Speed Adj - speed : 69.801331, m_speed : 74.687424 <-\r\n"
    "-> R Speed Adj - m_speed : 74.957420 <-\r\n"
    "-> Side Spin Adj(Multi) - m_sideSpin : -503.250916, m_sideSpinAdjForMulti : 0.0 <-\r\n"
    "-> result - m_speed : 70.459976, m_HAngle : 2.044362, m_VAngle : 10.525856, m_sideSpin : "
    "503.250916, m_backSpin : 3808.523926 <-\r\n";

TEST(ShotLog, ReadsTrackClubAndResult) {
  const ShotLog log = ParseShotLog(kDeliveredLog);
  ASSERT_EQ(log.keptBalls.size(), 2u);
  EXPECT_EQ(log.keptBalls[0].frame, 0);
  EXPECT_EQ(log.keptBalls[0].x, 165);
  EXPECT_EQ(log.keptBalls[0].y, 172);
  EXPECT_EQ(log.keptBalls[0].width, 17);
  EXPECT_EQ(log.keptBalls[1].frame, 2);
  EXPECT_EQ(log.keptBalls[1].width, 0);  // its width line is missing
  EXPECT_FALSE(log.clubStart.has_value());
  ASSERT_TRUE(log.clubEnd.has_value());
  EXPECT_EQ(log.clubEnd->x, 176);
  // Without a club line the side follows the sign of the spin the installation got.
  EXPECT_EQ(log.pathClass, 4);
  EXPECT_EQ(log.speedJitter, 0.27);
  ASSERT_TRUE(log.result.has_value());
  EXPECT_DOUBLE_EQ(log.result->backSpin, 3808.523926);
}

TEST(ShotLog, ClassWordsAndMissingValues) {
  struct Case {
    const char* lines;
    std::optional<int> pathClass;
    std::optional<double> jitter;
  };
  const Case cases[] = {
      {"-> Side Spin(Out->In => Hook) <-\n", 0, std::nullopt},
      {"-> Side Spin(In->Out => Draw) <-\n-> Side Spin Adj(Slice/Hook) <-\n"
       "-> result - m_speed : 1, m_HAngle : 1, m_VAngle : 1, m_sideSpin : 9, m_backSpin : 1 <-\n",
       5, std::nullopt},
      // The side camera's iron shot: nothing shows its speed before the jitter.
      {"-> R Speed Adj - m_speed : 44.787243 <-\n", std::nullopt, std::nullopt},
      {"-> Putting Speed Adj - speed : 3, m_speed : 2.1 <-\n-> R Speed Adj - m_speed : 2.2 <-\n",
       std::nullopt, 0.1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines);
    const ShotLog log = ParseShotLog(c.lines);
    EXPECT_EQ(log.pathClass, c.pathClass);
    EXPECT_EQ(log.speedJitter, c.jitter);
  }
  EXPECT_FALSE(ParseShotLog("-> result - m_speed : nan, m_HAngle <-\n").result.has_value());
}

const char kShotIni[] =
    "[foundBallArea]\r\nx=160\r\ny=240\r\nwidth=23\r\nheight=17\r\n"
    "[triggerArea]\r\nx=140\r\ny=196\r\nwidth=60\r\nheight=40\r\n"
    "[ballCheckArea]\r\nx=40\r\ny=0\r\nwidth=240\r\nheight=236\r\n"
    "[clubType]\r\ntype=0\r\n[fps]\r\nfpsForFrame2Frame=581.666687\r\n";

void WriteRecord(const fs::path& dir, const std::string& log, const std::string& ini) {
  fs::create_directories(dir);
  if (!log.empty()) WriteBytes((dir / "log.txt").string(), log);
  if (!ini.empty()) WriteBytes((dir / "shot.ini").string(), ini);
}

// What a re-analysis takes over from the record: the window's place and the brightness.
TEST(StrikeState, WindowFromShotIniAndBrightnessFromTheLog) {
  TempDir dir;
  WriteBytes(dir.File("shot.ini"),
             std::string(kShotIni) + "[window]\r\nmoved=1\r\nshiftX=-48\r\nshiftY=92\r\n");
  std::string problem;
  const auto ini = ReadShotIni(dir.File("shot.ini"), &problem);
  ASSERT_TRUE(ini.has_value()) << problem;
  ASSERT_TRUE(ini->window.has_value());
  EXPECT_TRUE(ini->window->moved);
  EXPECT_EQ(ini->window->shiftX, -48);
  EXPECT_EQ(ini->window->shiftY, 92);
  // An older sensor's record has none; half a section is none either.
  WriteBytes(dir.File("shot.ini"), std::string(kShotIni) + "[window]\r\nmoved=1\r\n");
  EXPECT_FALSE(ReadShotIni(dir.File("shot.ini"), &problem)->window.has_value());

  const ShotLog log = ParseShotLog("-> exp : 1000, gai : 312, gam : 50 <-\n");
  ASSERT_TRUE(log.brightness.has_value());
  EXPECT_EQ(log.brightness->gain, 312);
  EXPECT_FALSE(ParseShotLog("-> exp : 1000 <-\n").brightness.has_value());
}

// Three side records of one second and club type: the main camera's log names the angle it took,
// and that decides, not the file times a copied folder no longer has.
TEST(ShotPairs, TheSideRecordWhoseAngleTheMainCameraTook) {
  TempDir dir;
  const fs::path data = dir.path() / "data";
  const std::string result =
      "-> result - m_speed : 40, m_HAngle : 0.7, m_VAngle : 19, m_sideSpin : 1, m_backSpin : 1 "
      "<-\n";
  WriteRecord(data / "2026-12-11-9-3-7(TopMain)(S 40.62)(H 0.71)(V 19.22)",
              "-> HAngle Adj - HAngleTemp : 3.715289, HAngleTopSide : -4.085617 <-\n" + result,
              kShotIni);
  const std::string taken = "2026-12-11-9-3-7(TopSide)(S 39.56)(H -4.09)(V 0.00)";
  WriteRecord(data / taken, result, kShotIni);
  WriteRecord(data / "2026-12-11-9-3-7(TopSide)---", "-> Empty Swing <-\n", kShotIni);
  WriteRecord(data / "2026-12-11-9-3-7(TopSide)(S 39.00)(H 1.00)(V 0.00)", result, kShotIni);
  // The wrong ones were written at the main camera's very moment.
  const auto when =
      fs::last_write_time(data / "2026-12-11-9-3-7(TopMain)(S 40.62)(H 0.71)(V 19.22)" / "log.txt");
  fs::last_write_time(data / taken / "log.txt", when - std::chrono::hours(1));
  fs::last_write_time(data / "2026-12-11-9-3-7(TopSide)---" / "log.txt", when);
  fs::last_write_time(data / "2026-12-11-9-3-7(TopSide)(S 39.00)(H 1.00)(V 0.00)" / "log.txt",
                      when);
  std::string problem;
  const auto records = ReadDataFolder(data, &problem);
  ASSERT_TRUE(records.has_value()) << problem;
  const auto pairs = PairDeliveredShots(*records);
  ASSERT_EQ(pairs.size(), 1u);
  EXPECT_EQ(pairs[0].second.name, taken);
}

// A data folder as a bay leaves it after some trouble: one good shot and everything else that
// can be found in one.
class DataFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteRecord(data / "2026-12-11-9-3-7(TopMain)(S 70.46)(H 2.04)(V 10.53)", kDeliveredLog,
                kShotIni);
    WriteRecord(data / "2026-12-11-9-3-9(TopMain)---", "-> Empty Swing <-\n", kShotIni);
    WriteRecord(data / "2026-12-11-9-3-8(TopSide)(fps)---", "-> m_fpsForFrame2Frame : 300 <-\n",
                kShotIni);
    // Cut while the sensor ran: no log, no ini, not renamed.
    fs::create_directories(data / "2026-12-11-9-4-0(TopMain)");
    WriteRecord(data / "2026-12-11-9-4-1(TopMain)(S 1.00)(H 1.00)(V 1.00)", kDeliveredLog,
                "[foundBallArea]\nx=abc\n");
    WriteBytes((data / "notes.txt").string(), "a foreign file");
    fs::create_directories(data / "club_path");
  }

  TempDir dir;
  fs::path data = dir.path() / "data";
};

TEST_F(DataFolder, EveryEntryIsARowOldestFirstWithTheReason) {
  std::string problem;
  const auto records = ReadDataFolder(data, &problem);
  ASSERT_TRUE(records) << problem;
  struct Row {
    std::string name;
    Outcome outcome;
    std::string problem;
  };
  const std::vector<Row> expected = {
      {"2026-12-11-9-3-7(TopMain)(S 70.46)(H 2.04)(V 10.53)", Outcome::kDelivered, ""},
      {"2026-12-11-9-3-8(TopSide)(fps)---", Outcome::kLowFrameRate, ""},
      {"2026-12-11-9-3-9(TopMain)---", Outcome::kEmptySwing, ""},
      {"2026-12-11-9-4-0(TopMain)", Outcome::kUnfinished, "no log.txt"},
      {"2026-12-11-9-4-1(TopMain)(S 1.00)(H 1.00)(V 1.00)", Outcome::kDelivered,
       "shot.ini: foundBallArea/x 'abc' is not a whole number"},
      {"notes.txt", Outcome::kUnfinished, "not a directory"},
  };
  ASSERT_EQ(records->size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ((*records)[i].name, expected[i].name);
    EXPECT_EQ((*records)[i].outcome(), expected[i].outcome);
    EXPECT_EQ((*records)[i].problem, expected[i].problem);
  }
  EXPECT_EQ((*records)[0].ini->clubType, 0);
  EXPECT_FLOAT_EQ((*records)[0].ini->fps, 581.666687f);
}

TEST_F(DataFolder, ExportsParseAndKeepEveryRow) {
  std::string problem;
  const auto records = ReadDataFolder(data, &problem);
  ASSERT_TRUE(records);
  const auto rows = nlohmann::json::parse(ListJson(*records));
  ASSERT_EQ(rows.size(), records->size());
  EXPECT_EQ(rows[0]["outcome"], "delivered");
  EXPECT_DOUBLE_EQ(rows[0]["speed_mps"].get<double>(), 70.459976);
  EXPECT_TRUE(rows[1]["speed_mps"].is_null());
  EXPECT_EQ(rows[5]["problem"], "not a directory");
  const std::string csv = ListCsv(*records);
  EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), static_cast<long>(records->size() + 1));
}

TEST(DataFolderMissing, SaysSo) {
  std::string problem;
  EXPECT_FALSE(ReadDataFolder("/nonexistent/data", &problem));
  EXPECT_NE(problem.find("cannot read /nonexistent/data"), std::string::npos);
}

TEST(ShotFrames, TruncatedOrMissingDumpsNameTheFile) {
  TempDir dir;
  const fs::path shot = dir.path() / "2026-1-2-0-0-0(TopMain)---";
  WriteRecord(shot, "-> Empty Swing <-\n", kShotIni);
  std::vector<uint8_t> frame(320 * 320, 50);
  for (const char* name : {"image_prev_c.bmp", "image_prev_b.bmp", "image_prev_a.bmp",
                           "image_prev.bmp", "image_0.bmp", "image_1.bmp"}) {
    ASSERT_TRUE(WriteFrameDump(frame.data(), 320, 320, (shot / name).string().c_str()));
  }
  std::string problem;
  auto frames = LoadShotFrames(shot, &problem);
  ASSERT_TRUE(frames) << problem;
  EXPECT_EQ(frames->side, 320);
  EXPECT_EQ(frames->frames.size(), 6u);
  EXPECT_EQ(frames->frames.front().index, -4);

  fs::resize_file(shot / "image_1.bmp", 1000);
  EXPECT_FALSE(LoadShotFrames(shot, &problem));
  EXPECT_NE(problem.find("image_1.bmp is 1000 bytes, a 320 x 320 frame dump has 102520"),
            std::string::npos)
      << problem;
  fs::remove(shot / "image_0.bmp");
  EXPECT_FALSE(LoadShotFrames(shot, &problem));
  EXPECT_NE(problem.find("no trigger frame"), std::string::npos) << problem;
  fs::resize_file(shot / "image_prev_c.bmp", 7);
  EXPECT_FALSE(LoadShotFrames(shot, &problem));
  EXPECT_NE(problem.find("image_prev_c.bmp is 7 bytes"), std::string::npos) << problem;
}

TEST(GifDelay, SlowMotionInHundredths) {
  struct Case {
    double fps, slow;
    int delay;
  };
  const Case cases[] = {{500, 50, 10}, {500, 1, 2}, {250, 100, 40}, {0, 50, 2}, {500, 1e9, 65535}};
  for (const Case& c : cases) EXPECT_EQ(GifDelayCentiseconds(c.fps, c.slow), c.delay) << c.slow;
}

}  // namespace
