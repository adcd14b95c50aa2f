// UpdateKestrix waits for the program that started it to exit and starts it again, from the same
// working directory with the same arguments, whether that program is gone before it looks or not.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "camera_test_support.h"
#include "support/temp_dir.h"

namespace {

struct RunRecord {
  std::string kind, pid, cwd, environment, argc, delay;
};

std::vector<RunRecord> Runs(const std::string& path) {
  std::vector<RunRecord> runs;
  std::istringstream in(test_support::ReadBytes(path));
  for (std::string line; std::getline(in, line);) {
    RunRecord r;
    std::istringstream(line) >> r.kind >> r.pid >> r.cwd >> r.environment >> r.argc >> r.delay;
    runs.push_back(r);
  }
  return runs;
}

struct UpdaterCase {
  const char* name;
  const char* exitDelayMs;  // how long the first run lingers after starting the updater
};

const UpdaterCase kCases[] = {{"exits_at_once", "0"}, {"exits_after_a_while", "400"}};

TEST(UpdaterTest, RestartsTheProgramAfterItExited) {
  for (const UpdaterCase& c : kCases) {
    SCOPED_TRACE(c.name);
    test_support::TempDir dir;
    const camera_test::ChildResult first = camera_test::RunInChild([&] {
      if (::chdir(dir.path().c_str()) != 0) return 90;
      ::setenv("PATH", UPDATER_DIRECTORY, 1);
      ::execl(STAND_IN_PROGRAM, STAND_IN_PROGRAM, c.exitDelayMs, static_cast<char*>(nullptr));
      return 91;
    });
    ASSERT_TRUE(first.exited);
    ASSERT_EQ(first.code, 0);

    ASSERT_TRUE(camera_test::WaitFor([&] { return Runs(dir.File("runs.txt")).size() >= 2; }))
        << test_support::ReadBytes(dir.File("camera.txt"));
    const std::vector<RunRecord> runs = Runs(dir.File("runs.txt"));
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].kind, "first");
    EXPECT_EQ(runs[1].kind, "restarted");
    EXPECT_NE(runs[0].pid, runs[1].pid);
    const std::string here = std::filesystem::canonical(dir.path()).string();
    EXPECT_EQ(runs[0].cwd, here);
    EXPECT_EQ(runs[1].cwd, here);
    EXPECT_EQ(runs[1].environment, "clean");
    EXPECT_EQ(runs[1].argc, "2");
    EXPECT_EQ(runs[1].delay, c.exitDelayMs);

    const std::string log = test_support::ReadBytes(dir.File("camera.txt"));
    EXPECT_NE(log.find("|APP_RESET_FOR_CAMERA_ERROR"), std::string::npos) << log;
    EXPECT_NE(log.find("restarted"), std::string::npos) << log;
  }
}

TEST(UpdaterTest, WithoutARequestItRestartsNothing) {
  test_support::TempDir dir;
  const camera_test::ChildResult result = camera_test::RunInChild([&] {
    if (::chdir(dir.path().c_str()) != 0) return 90;
    ::unsetenv("KESTRIX_RESTART_PID");
    const std::string updater = std::string(UPDATER_DIRECTORY) + "/UpdateKestrix";
    ::execl(updater.c_str(), "UpdateKestrix", "|APP_RESET_FOR_CAMERA_ERROR",
            static_cast<char*>(nullptr));
    return 91;
  });
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.code, 1);
  EXPECT_NE(test_support::ReadBytes(dir.File("camera.txt")).find("no program to restart"),
            std::string::npos);
}

}  // namespace
