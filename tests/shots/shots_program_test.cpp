// kestrix-shots on the records of a real session: the sensor on the simulated cameras plays a
// round with a drive, a practice swing, an iron shot and a shot at a low frame rate, then a putt.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/rendered_session.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadBytes;
using test_support::RunTool;
using test_support::TempDir;

const char kRound[] =
    "fps free 500 together\n"
    "seed 17\n"
    "at 1.0 place tee\n"
    "at 4.0 shot speed=68 hla=1.5 vla=12 backspin=2800 path=-2.0 hand=right\n"
    "at 6.0 place iron\n"
    "at 9.0 swing hand=right club=chrome\n"
    "at 12.0 shot speed=40 hla=-1.0 vla=20 backspin=6500 hand=right path=2.0\n"
    // Free-running cameras keep step frame by frame: both slow down, well before the shot.
    "at 13.5 fail main slow 300 5.0\n"
    "at 13.5 fail side slow 300 5.0\n"
    "at 14.0 place rough\n"
    "at 17.0 shot speed=38 hla=3.0 vla=22 backspin=5200 path=-1.0 hand=right\n"
    "end 20\n";

// The golf client has chosen the putter. Right-handed: the side camera reports the putt, the
// main camera's run ends without a shot.
const char kPutt[] =
    "fps free 500 together\n"
    "seed 15\n"
    "at 1.0 place putt\n"
    "at 6.0 shot speed=3.0 hla=1.0 vla=0 hand=right\n"
    "end 9\n";
constexpr int64_t kPutterCode = 12;

class ShotsProgram : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    round_ = new TempDir;
    RenderedSession session(kRound);
    // Two cameras: drive, swing, iron and the slow-frame shot.
    const bool finished = session.Run(8, 120);
    std::string names;
    for (const auto& record : session.Records()) names += record.name + "\n";
    ASSERT_TRUE(finished) << names;
    fs::copy(session.directory(), round_->path(), fs::copy_options::recursive);
    RenderedSession putt(kPutt);
    ASSERT_TRUE(putt.Run(2, 60, kPutterCode));
    fs::copy(putt.directory() / "data", Data(),
             fs::copy_options::recursive | fs::copy_options::skip_existing);
  }
  static void TearDownTestSuite() {
    delete round_;
    round_ = nullptr;
  }

  static fs::path Data() { return round_->path() / "data"; }
  static fs::path Record(const std::string& text) {
    for (const auto& entry : fs::directory_iterator(Data())) {
      if (entry.path().filename().string().find(text) != std::string::npos) return entry.path();
    }
    ADD_FAILURE() << "no record with " << text;
    return {};
  }
  test_support::ToolRun Shots(const std::string& arguments) {
    return RunTool(KESTRIX_SHOTS, arguments, dir.File("shots.err"));
  }
  std::string Errors() const { return ReadBytes(dir.File("shots.err")); }

  static TempDir* round_;
  TempDir dir;
};

TempDir* ShotsProgram::round_ = nullptr;

std::string Quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

TEST_F(ShotsProgram, ListsEveryOutcomeAndExportsParse) {
  const auto table = Shots("list " + Quoted(Data()));
  ASSERT_EQ(table.status, 0) << Errors();
  for (const char* outcome : {"delivered", "empty swing", "low frame rate", "no shot"}) {
    EXPECT_NE(table.out.find(outcome), std::string::npos) << outcome << "\n" << table.out;
  }
  const auto csv = Shots("list --csv " + Quoted(Data()) + " > " + dir.File("shots.csv"));
  ASSERT_EQ(csv.status, 0) << Errors();
  const auto json = Shots("list --json " + Quoted(Data()) + " > " + dir.File("shots.json"));
  ASSERT_EQ(json.status, 0) << Errors();
  // The rows as another program reads them: Python's own csv and json modules.
  const auto python = RunTool(
      "python3",
      "-c 'import csv, json, sys; rows = list(csv.DictReader(open(sys.argv[1], newline=\"\")));"
      " objects = json.load(open(sys.argv[2]));"
      " assert [r[\"directory\"] for r in rows] == [o[\"directory\"] for o in objects];"
      " print(len(rows), sum(r[\"outcome\"] == \"delivered\" and r[\"camera\"] == \"main\""
      " for r in rows))' " +
          dir.File("shots.csv") + " " + dir.File("shots.json"),
      dir.File("python.err"));
  ASSERT_EQ(python.status, 0) << ReadBytes(dir.File("python.err"));
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(Data()))
    entries += entry.path().filename() != "club_path";
  EXPECT_EQ(python.out, std::to_string(entries) + " 2\n");
}

TEST_F(ShotsProgram, ABrokenDirectoryIsARowAndTheRestStillList) {
  TempDir copy;
  fs::copy(Data(), copy.path() / "data", fs::copy_options::recursive);
  const fs::path broken = copy.path() / "data" / Record("(TopSide)(S ").filename();
  fs::remove(broken / "log.txt");
  test_support::WriteBytes((broken / "shot.ini").string(), "\x01\x02 garbage [[[");
  const auto table = Shots("list " + Quoted(copy.path() / "data"));
  ASSERT_EQ(table.status, 0) << Errors();
  EXPECT_NE(table.out.find(broken.filename().string() + ": no log.txt"), std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("empty swing"), std::string::npos) << table.out;
}

TEST_F(ShotsProgram, ContactSheetOutlinesTheKeptBallWhereTheLogSays) {
  const fs::path shot = Record("(TopMain)(S ");
  const std::string png = dir.File("sheet.png");
  const auto run = Shots("show " + Quoted(shot) + " --out " + png);
  ASSERT_EQ(run.status, 0) << Errors();
  const QImage sheet(QString::fromStdString(png));
  ASSERT_FALSE(sheet.isNull());
  int shotFrames = 0;
  while (fs::exists(shot / ("image_" + std::to_string(shotFrames) + ".bmp"))) ++shotFrames;
  // Five columns of 320-pixel frames 6 apart, each under an 18-pixel label, below a 22-pixel title.
  const int rows = (4 + shotFrames + 4) / 5;
  EXPECT_EQ(sheet.width(), 5 * 320 + 4 * 6);
  EXPECT_EQ(sheet.height(), 22 + rows * (18 + 320) + (rows - 1) * 6);
  // The trigger frame is the fifth picture: the first row's last.
  const std::string log = ReadBytes((shot / "log.txt").string());
  std::smatch m;
  ASSERT_TRUE(std::regex_search(
      log, m,
      std::regex(
          R"(captureImageIndex : 0, m_foundBallArea.*ballArea\.m_x : (\d+), ballArea\.m_y : (\d+),)")));
  const int x = 4 * (320 + 6) + std::stoi(m[1].str());
  const int y = 22 + 18 + std::stoi(m[2].str());
  EXPECT_EQ(sheet.pixel(x, y), qRgb(255, 0, 0));
  EXPECT_NE(sheet.pixel(x - 1, y - 1), qRgb(255, 0, 0));
}

TEST_F(ShotsProgram, BothCamerasSideBySideAndAnAnimation) {
  const std::string png = dir.File("pair.png"), gif = dir.File("pair.gif");
  const auto run =
      Shots("show " + Quoted(Record("(TopMain)(S ")) + " " + Quoted(Record("(TopSide)(S ")) +
            " --out " + png + " --gif " + gif + " --slow 25");
  ASSERT_EQ(run.status, 0) << Errors();
  EXPECT_EQ(QImage(QString::fromStdString(png)).width(), 2 * (5 * 320 + 4 * 6) + 24);
  const QImage first(QString::fromStdString(gif));
  ASSERT_FALSE(first.isNull()) << "Qt cannot read " << gif;
  EXPECT_EQ(first.width(), 2 * 320 + 6);
  EXPECT_NE(run.out.find("5/100 s each"), std::string::npos) << run.out;
}

TEST_F(ShotsProgram, TruncatedDumpIsAClearErrorNotACrash) {
  TempDir copy;
  const fs::path shot = copy.path() / Record("(TopMain)(S ").filename();
  fs::copy(Record("(TopMain)(S "), shot);
  fs::resize_file(shot / "image_1.bmp", 5000);
  const auto run = Shots("show " + Quoted(shot) + " --out " + dir.File("x.png"));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(Errors().find("image_1.bmp is 5000 bytes"), std::string::npos) << Errors();
}

double SpeedRow(const std::string& out, int column) {
  std::smatch m;
  if (!std::regex_search(out, m, std::regex(R"(speed m/s +(-?[\d.]+) +(-?[\d.]+))"))) return -1;
  return std::stod(m[column].str());
}

// The round's settings with every speed made 10 % faster.
void WriteFasterSettings(const std::filesystem::path& from, const TempDir& to) {
  for (const char* name : {"setting_top.ini", "setting_top_side.ini", "vangle_adj.ini"}) {
    std::string text = ReadBytes((from / name).string());
    text = std::regex_replace(text, std::regex("\\[SpeedAdj\\]\r?\nspeed=[^\r\n]*"),
                              "[SpeedAdj]\r\nspeed=10");
    test_support::WriteBytes(to.File(name), text);
  }
}

// The rows of a re-analysis table: club area, speed, its change and the verdict.
struct TableRow {
  std::string club;
  double speed = 0, speedChange = 0;
  std::string verdict;
};

std::vector<TableRow> TableRows(const std::string& out) {
  static const std::regex kRow(
      R"((?:^|\n)\d+-\d+-\d+-\d+-\d+-\d+ +(\w+) +(-?[\d.]+) +([-+][\d.]+) .*  (same as recorded[^\n]*|differs[^\n]*|not reanalysed))");
  std::vector<TableRow> rows;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), kRow); it != std::sregex_iterator();
       ++it) {
    rows.push_back(
        {(*it)[1].str(), std::stod((*it)[2].str()), std::stod((*it)[3].str()), (*it)[4].str()});
  }
  return rows;
}

TEST_F(ShotsProgram, UnchangedSettingsGiveTheRecordedResultButForTheSpeedJitter) {
  const auto run =
      Shots("reanalyse --all " + Quoted(Data()) + " --settings " + Quoted(round_->path()));
  ASSERT_EQ(run.status, 0) << Errors() << run.out;
  // The drive, the iron shot and the putt the side camera reported.
  const auto rows = TableRows(run.out);
  ASSERT_EQ(rows.size(), 3u) << run.out;
  EXPECT_EQ(rows[2].club, "putter") << run.out;
  for (const TableRow& row : rows) {
    // Every log line is the recorded one up to the jitter step; the verdict reads the logs.
    EXPECT_EQ(row.verdict.rfind("same as recorded", 0), 0u) << run.out;
    // The jitter is a table entry (up to 0.37) and the clock's hundredths (a putt's: up to 0.29).
    EXPECT_LE(std::abs(row.speedChange), 0.45) << run.out;
  }
  EXPECT_NE(run.out.find("0 different, 0 not reanalysed"), std::string::npos) << run.out;
  // Both angles come back to the hundredth on every shot.
  std::smatch mean;
  ASSERT_TRUE(std::regex_search(
      run.out, mean,
      std::regex(
          R"(mean change +3 shots +[-+][\d.]+ \([-+][\d.]+ %\) +([-+][\d.]+) +([-+][\d.]+))")))
      << run.out;
  EXPECT_EQ(std::stod(mean[1].str()), 0.0) << run.out;
  EXPECT_EQ(std::stod(mean[2].str()), 0.0) << run.out;
}

TEST_F(ShotsProgram, OneShotAgainBesideTheRecordAndWithTheSpeedAdjustment) {
  const std::string pair = Quoted(Record("(TopMain)(S 7")) + " " + Quoted(Record("(TopSide)(S 7"));
  const auto same = Shots("reanalyse " + pair + " --settings " + Quoted(round_->path()));
  ASSERT_EQ(same.status, 0) << Errors();
  EXPECT_TRUE(std::regex_search(
      same.out, std::regex(R"(side log: identical( up to the speed jitter)? \(speed jitter)")))
      << same.out;
  EXPECT_NE(same.out.find("speed jitter +0."), std::string::npos) << same.out;
  EXPECT_NE(same.out.find("verdict:    same as recorded"), std::string::npos) << same.out;

  TempDir faster;
  WriteFasterSettings(round_->path(), faster);
  const auto adjusted = Shots("reanalyse " + pair + " --settings " + Quoted(faster.path()));
  ASSERT_EQ(adjusted.status, 0) << Errors();
  // Both runs start fresh cameras: the same jitter table entry; its clock part is up to 0.03 m/s
  // a camera.
  EXPECT_NEAR(SpeedRow(adjusted.out, 2), SpeedRow(same.out, 2) * 1.10, 0.1) << adjusted.out;
  // The new percentage is a setting, not jitter: the runs part where the log names it.
  EXPECT_NE(adjusted.out.find("m_speedAdjForMulti : 10.000000"), std::string::npos) << adjusted.out;
  EXPECT_NE(adjusted.out.find("verdict:    differs from the recording"), std::string::npos)
      << adjusted.out;
}

TEST_F(ShotsProgram, ABaselineLeavesTheNewSettingsOwnChange) {
  TempDir faster;
  WriteFasterSettings(round_->path(), faster);
  const auto against = Shots("reanalyse --all " + Quoted(Data()) + " --settings " +
                             Quoted(faster.path()) + " --baseline " + Quoted(round_->path()));
  ASSERT_EQ(against.status, 0) << Errors() << against.out;
  const auto rows = TableRows(against.out);
  ASSERT_EQ(rows.size(), 3u) << against.out;
  for (const TableRow& row : rows) {
    // A putt's jitter follows the clock alone and is a tenth of its speed: only the others.
    if (row.club == "putter") continue;
    EXPECT_NEAR(row.speedChange / (row.speed - row.speedChange) * 100, 10.0, 0.3) << against.out;
  }
  std::smatch mean;
  ASSERT_TRUE(std::regex_search(
      against.out, mean,
      std::regex(
          R"(mean change +\d+ shots +[-+][\d.]+ \([-+][\d.]+ %\) +([-+][\d.]+) +([-+][\d.]+))")))
      << against.out;
  EXPECT_EQ(std::stod(mean[1].str()), 0.0) << against.out;  // horizontal angle
  EXPECT_EQ(std::stod(mean[2].str()), 0.0) << against.out;  // vertical angle
}

TEST_F(ShotsProgram, AReplayRunsTheWholeSensorOnTheRecordedFrames) {
  const std::string pair = Quoted(Record("(TopMain)(S 7")) + " " + Quoted(Record("(TopSide)(S 7"));
  const auto replay =
      Shots("reanalyse " + pair + " --settings " + Quoted(round_->path()) + " --replay");
  ASSERT_EQ(replay.status, 0) << Errors() << replay.out;
  EXPECT_TRUE(std::regex_search(replay.out, std::regex(R"(replayed at \d+\.\d+ frames/s)")))
      << replay.out;
  // Its watch finds the ball again: the result may move by a pixel's angle, not more.
  EXPECT_NEAR(SpeedRow(replay.out, 2), SpeedRow(replay.out, 1), 1.0) << replay.out;
}

}  // namespace
