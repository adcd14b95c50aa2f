#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/append_log.h"
#include "support/temp_dir.h"

namespace {

using platform::AppendLog;
using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

TEST(AppendLog, AppendsAndEchoesToDebugOutput) {
  TempDir dir;
  const std::string path = dir.File("log.txt");
  testing::internal::CaptureStderr();
  AppendLog(path.c_str(), "-> first <-\n", 0);
  AppendLog(path.c_str(), "-> second <-\n", 0);
  AppendLog(nullptr, "-> debug only <-\n", 1048576);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "-> first <-\n-> second <-\n-> debug only <-\n");
  EXPECT_EQ(ReadBytes(path), "-> first <-\n-> second <-\n");
}

TEST(AppendLog, CapDeletesOnlyALargerFile) {
  TempDir dir;
  const std::string path = dir.File("camera.txt");
  const std::string hundred(100, 'x');
  struct CapCase {
    int64_t cap;
    std::string expected;
  };
  for (const CapCase& c : {CapCase{99, "new\n"}, CapCase{100, hundred + "new\n"},
                           CapCase{0, hundred + "new\n"}, CapCase{-1, hundred + "new\n"}}) {
    SCOPED_TRACE(c.cap);
    WriteBytes(path, hundred);
    testing::internal::CaptureStderr();
    AppendLog(path.c_str(), "new\n", c.cap);
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(ReadBytes(path), c.expected);
  }
}

TEST(AppendLog, NullTextDoesNothing) {
  TempDir dir;
  const std::string path = dir.File("log.txt");
  testing::internal::CaptureStderr();
  AppendLog(path.c_str(), nullptr, 10);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A path that cannot be opened loses the line; a directory is never taken for a long log.
TEST(AppendLog, UnopenablePathLosesLineOnly) {
  TempDir dir;
  const std::string sub = dir.File("data");
  std::filesystem::create_directory(sub);
  testing::internal::CaptureStderr();
  AppendLog(sub.c_str(), "-> lost <-\n", 1);
  AppendLog(dir.File("missing/log.txt").c_str(), "-> lost too <-\n", 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "-> lost <-\n-> lost too <-\n");
  EXPECT_TRUE(std::filesystem::is_directory(sub));
}

}  // namespace
