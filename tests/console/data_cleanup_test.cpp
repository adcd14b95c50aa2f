#include "console/data_cleanup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::time_t LocalNoon(int year, int month, int day) {
  std::tm when{};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = 12;
  when.tm_isdst = -1;
  return std::mktime(&when);
}

TEST(DataCleanup, DateTextsHaveNoLeadingZeros) {
  EXPECT_EQ(console::DateText(LocalNoon(2024, 3, 1)), "2024-3-1");
  EXPECT_EQ(console::DateText(LocalNoon(2026, 12, 11)), "2026-12-11");
}

// On the first of a month the tenth to nineteenth hold today's text too, and stay; a leap
// year's yesterday is the 29th.
TEST(DataCleanup, KeepsTodaysAndYesterdaysShotsAndNothingElse) {
  test_support::TempDir dir;
  const fs::path data = dir.path() / "data";
  const std::set<std::string> kept = {"2024-3-1 10-0-0(TopMain)(S 40.1)",
                                      "2024-2-29 23-59-59(TopSide)---",
                                      "2024-3-15 9-0-0(TopMain)(S 30.0)"};
  const std::set<std::string> removed = {"2024-2-28 10-0-0(TopMain)", "2024-3-2 8-0-0(TopMain)",
                                         "club_path"};
  for (const auto& name : kept) fs::create_directories(data / name / "sub");
  for (const auto& name : removed) fs::create_directories(data / name / "sub");
  test_support::WriteBytes((data / "2024-3-1 stray.txt").string(), "a file at the top goes");
  test_support::WriteBytes((data / kept.begin()->c_str() / "log.txt").string(), "kept");

  console::CleanDataFolder(dir.path().string(), LocalNoon(2024, 3, 1));
  std::set<std::string> left;
  for (const auto& entry : fs::directory_iterator(data)) left.insert(entry.path().filename());
  EXPECT_EQ(left, kept);
  EXPECT_TRUE(fs::exists(data / *kept.begin() / "log.txt"));
}

}  // namespace
