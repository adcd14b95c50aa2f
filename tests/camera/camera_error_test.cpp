// The camera error procedure, each case in a child process because it works in the current
// directory and ends the process: the log line and its cap, the updater start with its
// parameter text and the exit, and capture going on when no updater can be started.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "camera/main_camera.h"
#include "camera_test_support.h"
#include "sim_control.h"
#include "support/temp_dir.h"
#include "varnok_call_log.h"

namespace {

using camera_test::ChildResult;
using camera_test::RunInChild;
using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

constexpr int64_t kCap = 1048576;

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

const std::regex kReadLine(
    R"(-> SensorType \((\d)\) : \(m_cameraIndex-(-?\d)\) \(CMainCamera::CameraError-\d{4}(-\d{1,2}){5}\) <-)");
const std::regex kFpsLine(
    R"(-> SensorType \((\d)\)\(fps\) : \(m_cameraIndex-(-?\d)\) \(CMainCamera::CameraError-\d{4}(-\d{1,2}){5}\) <-)");

// A stand-in updater that records its parameter and the process it was asked to restart. It
// runs with a search path that finds nothing, hence the full path of mv.
void WriteStandInUpdater(const std::string& path) {
  WriteBytes(path,
             "#!/bin/sh\n"
             "{ printf '%s\\n' \"$1\" \"$KESTRIX_RESTART_PID\"; } > updater_args.tmp\n"
             "/bin/mv updater_args.tmp updater_args.txt\n");
  ::chmod(path.c_str(), 0755);
}

// The child's working directory and search path: the test's directory and an empty folder.
void EnterChildSetting(const TempDir& dir, const std::string& searchPath) {
  if (::chdir(dir.path().c_str()) != 0) _exit(90);
  ::setenv("PATH", searchPath.c_str(), 1);
}

struct CapCase {
  const char* name;
  int32_t reason;
  int64_t existingBytes;
  bool keptOldContent;
};

const CapCase kCapCases[] = {
    {"new_file", kCameraErrorRead, 0, true},
    {"at_the_cap_is_kept", kCameraErrorFps, kCap, true},
    {"over_the_cap_starts_afresh", kCameraErrorRead, kCap + 1, false},
};

TEST(CameraErrorTest, LineGoesToCameraTxtWithinTheCap) {
  for (const CapCase& c : kCapCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::filesystem::create_directory(dir.File("empty"));
    const std::string old(static_cast<size_t>(c.existingBytes), 'x');
    if (c.existingBytes > 0) WriteBytes(dir.File("camera.txt"), old);

    const ChildResult result = RunInChild([&] {
      EnterChildSetting(dir, dir.File("empty"));
      CSideCamera camera;
      camera.SensorType = SENSOR_SIDE;
      camera.m_capture.m_cameraIndex = 1;
      camera.CameraError(c.reason);  // no updater: returns
      return 0;
    });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.code, 0);

    const std::string text = ReadBytes(dir.File("camera.txt"));
    const size_t kept = c.keptOldContent ? old.size() : 0;
    ASSERT_GT(text.size(), kept);
    EXPECT_EQ(text.substr(0, kept), old.substr(0, kept));
    const std::string line = text.substr(kept);
    ASSERT_EQ(line.back(), '\n');
    const std::string body = line.substr(0, line.size() - 1);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(body, m, c.reason == kCameraErrorRead ? kReadLine : kFpsLine))
        << line;
    EXPECT_EQ(m[1], "1");
    EXPECT_EQ(m[2], "1");
  }
}

struct UpdaterCase {
  const char* name;
  bool inCurrentDirectory;  // else found along the search path
};

const UpdaterCase kUpdaterCases[] = {{"current_directory", true}, {"search_path", false}};

TEST(CameraErrorTest, FailedReadStartsTheUpdaterAndEndsTheProcessWithCodeZero) {
  for (const UpdaterCase& c : kUpdaterCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    std::filesystem::create_directory(dir.File("bin"));
    std::filesystem::create_directory(dir.File("empty"));
    WriteStandInUpdater(c.inCurrentDirectory ? dir.File("UpdateKestrix")
                                             : dir.File("bin/UpdateKestrix"));

    const ChildResult result = RunInChild([&] {
      EnterChildSetting(dir, c.inCurrentDirectory ? dir.File("empty") : dir.File("bin"));
      WriteBytes("child_pid.txt", std::to_string(::getpid()));
      if (VarnokSimLoadScript("cameras 2\nat 0.2 fail main read 100\n") != 0) return 91;
      // The side camera streams on while the main camera's thread ends the process.
      CMainCamera camera;
      CSideCamera side;
      if (!side.Open(".", SENSOR_SIDE) || !camera.Open(".", SENSOR_MAIN)) return 92;
      // The capture thread ends the process; coming back here means it did not.
      camera_test::WaitFor([] { return false; }, 20000);
      return 93;
    });
    ASSERT_TRUE(result.exited) << "signal " << result.signal;
    EXPECT_EQ(result.code, 0);

    const std::vector<std::string> logged = Lines(ReadBytes(dir.File("camera.txt")));
    ASSERT_EQ(logged.size(), 1u);
    std::smatch m;
    ASSERT_TRUE(std::regex_match(logged[0], m, kReadLine)) << logged[0];
    EXPECT_EQ(m[1], "0");
    EXPECT_EQ(m[2], "0");

    // The stand-in runs on after the child is gone.
    ASSERT_TRUE(camera_test::WaitFor(
        [&] { return std::filesystem::exists(dir.File("updater_args.txt")); }, 10000));
    const std::vector<std::string> args = Lines(ReadBytes(dir.File("updater_args.txt")));
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[0], "|APP_RESET_FOR_CAMERA_ERROR");
    EXPECT_EQ(args[1], ReadBytes(dir.File("child_pid.txt")));
  }
}

// Seen on the capture thread: failed reads, whether a failed read moved the frame count, and
// the good reads after the first failure.
struct FailureWatch {
  CMainCamera* camera = nullptr;
  std::atomic<int> failures{0};
  std::atomic<int> countedFailures{0};
  std::atomic<int> goodAfterFailure{0};
  bool lastFailed = false;
  int32_t countAtFailure = 0;

  void Before() {
    if (lastFailed && camera->m_capture.m_frameCount != countAtFailure) ++countedFailures;
  }
  void After(int32_t result) {
    lastFailed = result != 0;
    if (lastFailed) {
      ++failures;
      countAtFailure = camera->m_capture.m_frameCount;
    } else if (failures.load() > 0) {
      ++goodAfterFailure;
    }
  }
};

TEST(CameraErrorTest, WithoutAnUpdaterEachFailedReadLogsTwiceAndCaptureGoesOn) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("empty"));
  const ChildResult result = RunInChild([&] {
    EnterChildSetting(dir, dir.File("empty"));
    const int err = ::open("stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (err < 0 || ::dup2(err, STDERR_FILENO) < 0) return 91;
    if (VarnokSimLoadScript("cameras 2\nfps 500\nat 0.2 fail main read 0.3\n") != 0) return 92;
    CMainCamera camera;
    FailureWatch watch;
    watch.camera = &camera;
    varnok_log::SetReadHook({[&](int32_t, uint8_t*) { watch.Before(); },
                             [&](int32_t, uint8_t*, int32_t r) { watch.After(r); }});
    if (!camera.Open(".", SENSOR_MAIN)) return 93;
    const bool resumed = camera_test::WaitFor([&] { return watch.goodAfterFailure.load() >= 100; });
    camera.Stop();
    varnok_log::ClearReadHook();
    std::ofstream("result.txt") << watch.failures.load() << " " << watch.countedFailures.load()
                                << " " << (resumed ? 1 : 0) << "\n";
    return 0;
  });
  ASSERT_TRUE(result.exited) << "signal " << result.signal;
  ASSERT_EQ(result.code, 0);

  int failures = -1, countedFailures = -1, resumed = -1;
  std::istringstream(ReadBytes(dir.File("result.txt"))) >> failures >> countedFailures >> resumed;
  EXPECT_GE(failures, 2);
  EXPECT_EQ(countedFailures, 0) << "a failed read was counted as a delivered frame";
  EXPECT_EQ(resumed, 1) << "capture did not go on after the failures";

  int fileLines = 0;
  for (const std::string& line : Lines(ReadBytes(dir.File("camera.txt")))) {
    fileLines += std::regex_match(line, kReadLine);
  }
  int debugLines = 0;
  for (const std::string& line : Lines(ReadBytes(dir.File("stderr.txt")))) {
    debugLines += std::regex_match(line, kReadLine);
  }
  EXPECT_EQ(fileLines, failures);
  EXPECT_EQ(debugLines, failures);
}

TEST(CameraErrorTest, StopEndsTheThreadWhileEveryReadFails) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("empty"));
  const ChildResult result = RunInChild([&] {
    EnterChildSetting(dir, dir.File("empty"));
    if (VarnokSimLoadScript("cameras 2\nat 0 fail main read 100\n") != 0) return 91;
    CMainCamera camera;
    std::atomic<int> failed{0};
    varnok_log::SetReadHook({nullptr, [&](int32_t, uint8_t*, int32_t r) { failed += r != 0; }});
    if (!camera.Open(".", SENSOR_MAIN)) return 92;
    if (!camera_test::WaitFor([&] { return failed.load() > 3; })) return 93;
    camera.Stop();
    varnok_log::ClearReadHook();
    if (camera.m_capture.m_capture != 0 || camera.m_capture.m_thread.joinable()) return 94;
    return 0;
  });
  ASSERT_TRUE(result.exited) << "signal " << result.signal;
  EXPECT_EQ(result.code, 0);
}

}  // namespace
