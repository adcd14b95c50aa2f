// A short soak as CI can afford it: kestrix-accuracy plays a generated round in a right-handed and
// a left-handed bay on free-running cameras, with putts and practice swings, and watches the
// sensor's memory and descriptors. The full soak (./dev soak) is the same with many more shots.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "platform/profile.h"
#include "support/temp_dir.h"
#include "support/tool_run.h"

namespace {

namespace fs = std::filesystem;

using test_support::ToolRun;

ToolRun RunTool(const std::string& arguments, const std::string& errFile) {
  return test_support::RunTool(KESTRIX_ACCURACY, arguments, errFile);
}

std::string Setting(const fs::path& file) {
  char value[16] = {};
  platform::GetPrivateProfileStringA("SensorSetting", "isRightHand", "?", value, sizeof value,
                                     file.c_str());
  return value;
}

TEST(Soak, ARoundInEachHandIsDeliveredAsPlayedWithTheDescriptorsFlat) {
  test_support::TempDir dir;
  const fs::path kept = dir.path() / "soak";
  const ToolRun tool =
      RunTool("--soak 20 --warm-up 3 --json --keep '" + kept.string() + "'", dir.File("soak.err"));
  const std::string err = test_support::ReadBytes(dir.File("soak.err"));
  ASSERT_EQ(tool.status, 0) << tool.out << err;
  const auto report = nlohmann::json::parse(tool.out, nullptr, false);
  ASSERT_TRUE(report.is_object()) << tool.out << err;
  EXPECT_EQ(report["ok"], true) << report["failures"].dump();

  ASSERT_EQ(report["runs"].size(), 2u) << tool.out;
  const std::pair<const char*, const char*> hands[] = {{"right", "1"}, {"left", "0"}};
  for (size_t i = 0; i < 2; ++i) {
    const auto& run = report["runs"][i];
    SCOPED_TRACE(run.dump());
    EXPECT_EQ(run["hand"], hands[i].first);
    EXPECT_EQ(run["shots_scripted"], 10);
    EXPECT_EQ(run["shots_delivered"], 10);
    EXPECT_EQ(run["duplicates"], 0);
    EXPECT_EQ(run["without_path"], 0);
    EXPECT_GT(run["swings_scripted"].get<int>(), 0);
    EXPECT_EQ(run["swings_delivered"], 0);
    EXPECT_EQ(run["unattributed"], 0);
    EXPECT_EQ(run["sensor_status"], 0);
    // The sensor was watched from its warm-up to its last shot.
    ASSERT_EQ(run["resources_measured"], true);
    EXPECT_GT(run["rss_warm_kib"].get<long>(), 0);
    EXPECT_LE(run["fds_end"].get<int>(), run["fds_warm"].get<int>());
    EXPECT_GT(run["shots_per_second"].get<double>(), 0.0);
    // Handedness is the bay's: the sensor read it from both settings files.
    const fs::path runDir = kept / hands[i].first;
    EXPECT_EQ(Setting(runDir / "setting_top.ini"), hands[i].second);
    EXPECT_EQ(Setting(runDir / "setting_top_side.ini"), hands[i].second);
  }

  // Every club area, the putts through the golf client's putter selection, each delivered.
  std::set<std::string> areas;
  for (const auto& area : report["areas"]) {
    EXPECT_EQ(area["delivered"], area["scripted"]) << area.dump();
    if (area["scripted"].get<int>() > 0) areas.insert(area["area"].get<std::string>());
  }
  EXPECT_EQ(areas, (std::set<std::string>{"tee", "iron", "rough", "bunker", "putt"}));
  EXPECT_EQ(report["total"]["shots_delivered"], 20);
}

}  // namespace
