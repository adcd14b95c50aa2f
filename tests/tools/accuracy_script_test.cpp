// What kestrix-accuracy reads from a session script, its --free rewrite, the run directory it
// fills and what the sensor's environment adds.
#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "free_run_script.h"
#include "run_directory.h"
#include "script_outline.h"
#include "sensor_environment.h"
#include "support/temp_dir.h"

namespace {

using namespace accuracy;
namespace fs = std::filesystem;

TEST(ScriptOutline, ReadsTheLengthTheStrikesAndWhereEachStrikeHits) {
  const ScriptOutline outline = ReadScriptOutline(
      "# a session\n"
      "fps 468   # paced\n"
      "at 1.0 place rough\n"
      "at 1.5 place tee\n"
      "at 3.0 swing\n"                    // over the latest ball, the tee
      "at 4.0 shot speed=60 hla=1\n"      // the tee ball leaves
      "at 5.0 shot speed=30 hand=left\n"  // the rough ball is the only one left
      "at 6.0 remove\n"
      "at 7.0 swing\n"  // nothing on the mat: over the tee
      "at 8.0 place putt\n"
      "at 9.0 shot area=putt speed=2\n"
      "at 9.5 bogus line\n"
      "end 12\r\n");
  ASSERT_TRUE(outline.end_t.has_value());
  EXPECT_DOUBLE_EQ(*outline.end_t, 12.0);
  EXPECT_FALSE(outline.free_run);
  EXPECT_EQ(outline.first_place, "rough");
  struct Expected {
    double t;
    bool shot;
    const char* area;
    const char* hand;
  };
  const Expected expected[] = {{3.0, false, "tee", "right"},
                               {4.0, true, "tee", "right"},
                               {5.0, true, "rough", "left"},
                               {7.0, false, "tee", "right"},
                               {9.0, true, "putt", "right"}};
  ASSERT_EQ(outline.strikes.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_DOUBLE_EQ(outline.strikes[i].t, expected[i].t) << i;
    EXPECT_EQ(outline.strikes[i].shot, expected[i].shot) << i;
    EXPECT_EQ(outline.strikes[i].area, expected[i].area) << i;
    EXPECT_EQ(outline.strikes[i].hand, expected[i].hand) << i;
  }
}

TEST(ScriptOutline, AScriptWithoutEndHasNoLength) {
  EXPECT_FALSE(ReadScriptOutline("fps 468\nat 1 place tee\n").end_t.has_value());
}

struct RewriteCase {
  const char* name;
  const char* script;
  const char* freeRun;
};

// Names the case in test listings, which would otherwise show its bytes.
void PrintTo(const RewriteCase& c, std::ostream* os) {
  *os << c.name;
}

class FreeRunScriptTest : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(FreeRunScriptTest, KeepsTheRateAndEverythingElse) {
  const std::string rewritten = FreeRunScript(GetParam().script);
  EXPECT_EQ(rewritten, GetParam().freeRun);
  EXPECT_TRUE(ReadScriptOutline(rewritten).free_run);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, FreeRunScriptTest,
    ::testing::Values(
        RewriteCase{"PacedRate", "fps 468\nat 1.0 place tee\nend 8\n",
                    "fps free 468 together\nat 1.0 place tee\nend 8\n"},
        RewriteCase{"AlreadyFree", "fps free 300\nend 8\n", "fps free 300 together\nend 8\n"},
        RewriteCase{"FreeWithoutRate", "fps free\nend 8\n", "fps free together\nend 8\n"},
        RewriteCase{"NoFpsLine", "# no rate\nat 1.0 place tee\nend 8",
                    "fps free together\n# no rate\nat 1.0 place tee\nend 8"},
        RewriteCase{"CommentAndCrlfKept", "  fps 465 # fps of the bay\r\nend 8\r\n",
                    "  fps free 465 together # fps of the bay\r\nend 8\r\n"},
        RewriteCase{"FpsOnlyInAComment", "# fps 468\nend 8\n",
                    "fps free together\n# fps 468\nend 8\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RunDirectory, FindsAScriptByPathOrByBareNameInTheDemoFolder) {
  test_support::TempDir demo;
  test_support::TempDir elsewhere;
  test_support::WriteBytes(demo.File("shot.txt"), "end 1\n");
  test_support::WriteBytes(elsewhere.File("mine.txt"), "end 2\n");
  EXPECT_EQ(FindScript(elsewhere.File("mine.txt"), demo.path()),
            fs::path(elsewhere.File("mine.txt")));
  EXPECT_EQ(FindScript("shot.txt", demo.path()), demo.path() / "shot.txt");
  // A path with a folder is taken as it is.
  EXPECT_FALSE(FindScript((elsewhere.path() / "shot.txt").string(), demo.path()).has_value());
  EXPECT_FALSE(FindScript("missing.txt", demo.path()).has_value());
}

TEST(RunDirectory, CopiesTheInstallationWithoutWhatAnEarlierRunLeftInIt) {
  test_support::TempDir demo;
  test_support::TempDir run;
  test_support::WriteBytes(demo.File("setting_top.ini"), "[Camera]\n");
  test_support::WriteBytes(demo.File("shot_iron.txt"), "old\n");
  fs::create_directories(demo.path() / "clips" / "main");
  test_support::WriteBytes((demo.path() / "clips" / "main" / "0.pgm").string(), "P5");
  // A run in the demo folder itself leaves these behind.
  test_support::WriteBytes(demo.File("sim_truth.jsonl"), "{\"t\":4.0,\"kind\":\"shot\"}\n");
  test_support::WriteBytes(demo.File("putter.txt"), "");
  test_support::WriteBytes(demo.File("table.bi"), "flight table");

  std::string error;
  ASSERT_TRUE(FillRunDirectory(run.path(), demo.path(), demo.File("table.bi"), "shot_iron.txt",
                               "fps free 468\n", &error))
      << error;
  EXPECT_EQ(test_support::ReadBytes(run.File("setting_top.ini")), "[Camera]\n");
  EXPECT_TRUE(fs::exists(run.path() / "clips" / "main" / "0.pgm"));
  EXPECT_EQ(test_support::ReadBytes(run.File("data.bi")), "flight table");
  EXPECT_EQ(test_support::ReadBytes(run.File("shot_iron.txt")), "fps free 468\n");
  EXPECT_FALSE(fs::exists(run.path() / "sim_truth.jsonl"));
  EXPECT_FALSE(fs::exists(run.path() / "putter.txt"));
}

TEST(RunDirectory, AMissingFlightTableIsAnError) {
  test_support::TempDir demo;
  test_support::TempDir run;
  std::string error;
  EXPECT_FALSE(
      FillRunDirectory(run.path(), demo.path(), demo.File("none.bi"), "s.txt", "", &error));
  EXPECT_NE(error.find("none.bi"), std::string::npos) << error;
}

// A windowed sensor without a display draws offscreen; a display or a platform chosen is kept.
TEST(SensorEnvironment, OffscreenOnlyWithoutADisplayOrAChosenPlatform) {
  struct Case {
    std::map<std::string, std::string> ours;
    std::vector<std::string> added;
  };
  const std::vector<std::string> offscreen = {"QT_QPA_PLATFORM=offscreen"};
  const Case cases[] = {
      {{}, offscreen},
      {{{"DISPLAY", ":0"}}, {}},
      {{{"WAYLAND_DISPLAY", "wayland-0"}}, {}},
      {{{"QT_QPA_PLATFORM", "xcb"}}, {}},
      // Set but empty is no display.
      {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, offscreen},
  };
  for (const Case& c : cases) {
    const std::vector<std::string> added = SensorEnvironment([&c](const char* name) {
      const auto it = c.ours.find(name);
      return it == c.ours.end() ? nullptr : it->second.c_str();
    });
    EXPECT_EQ(added, c.added) << (c.ours.empty() ? "none" : c.ours.begin()->first);
  }
}

}  // namespace
