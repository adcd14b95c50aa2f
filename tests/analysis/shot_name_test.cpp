// Shot record folder names.
#include "analysis/shot_name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(ShotName, DateTimeWithoutLeadingZerosThenTheCamera) {
  struct Case {
    std::tm time;
    const char* suffix;
    size_t size;
    const char* name;
  };
  const std::tm march = LocalTime(2026, 3, 4, 5, 6, 7);
  const Case cases[] = {
      {march, "TopMain", 64, "2026-3-4-5-6-7(TopMain)"},
      {march, nullptr, 64, "2026-3-4-5-6-7"},
      {march, "", 64, "2026-3-4-5-6-7()"},
      {LocalTime(2025, 12, 31, 23, 59, 58), "Side", 64, "2025-12-31-23-59-58(Side)"},
      {LocalTime(2026, 1, 1, 0, 0, 0), nullptr, 64, "2026-1-1-0-0-0"},
      {march, "TopMain", 9, "2026-3-4"},  // cut to size - 1 characters
      {march, "TopMain", 1, ""},
  };
  for (const Case& c : cases) {
    char out[64];
    MakeShotNameAt(out, c.size, c.suffix, c.time);
    EXPECT_STREQ(out, c.name);
  }
  char untouched[4] = "abc";
  MakeShotNameAt(untouched, 0, "TopMain", march);
  EXPECT_STREQ(untouched, "abc");
}

TEST(ShotName, NowIsTheCurrentLocalTime) {
  const std::time_t before = std::time(nullptr);
  char out[64];
  MakeShotName(out, sizeof out, "TopMain");
  const std::time_t after = std::time(nullptr);

  std::tm t{};
  char suffix[16] = {};
  ASSERT_EQ(std::sscanf(out, "%d-%d-%d-%d-%d-%d(%15[^)])", &t.tm_year, &t.tm_mon, &t.tm_mday,
                        &t.tm_hour, &t.tm_min, &t.tm_sec, suffix),
            7)
      << out;
  EXPECT_STREQ(suffix, "TopMain");
  t.tm_year -= 1900;
  t.tm_mon -= 1;
  t.tm_isdst = -1;
  const std::time_t named = std::mktime(&t);
  EXPECT_GE(named, before);
  EXPECT_LE(named, after);
}

}  // namespace
