// The platform stand-ins the capture code relies on: the probed millisecond clock, processor
// placement, starting a program and the restart hand-over to the updater.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "camera_test_support.h"
#include "platform/milli_clock.h"
#include "platform/restart_handoff.h"
#include "platform/start_program.h"
#include "platform/thread_control.h"

namespace {

TEST(MilliClockTest, FirstUseProbesTheCounterAndTheClockGoesForward) {
  platform::SetMilliClockModeForTest(platform::CLOCK_NOT_PROBED);
  EXPECT_EQ(platform::MilliClockMode(), platform::CLOCK_NOT_PROBED);
  const int32_t first = platform::MilliClock();
  EXPECT_EQ(platform::MilliClockMode(), platform::CLOCK_FINE);
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  const auto elapsed = static_cast<int32_t>(static_cast<uint32_t>(platform::MilliClock()) -
                                            static_cast<uint32_t>(first));
  EXPECT_GE(elapsed, 20);

  // Without the counter the coarse clock still counts milliseconds.
  platform::SetMilliClockModeForTest(platform::CLOCK_COARSE);
  const int32_t coarse = platform::MilliClock();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_GE(static_cast<int32_t>(static_cast<uint32_t>(platform::MilliClock()) -
                                 static_cast<uint32_t>(coarse)),
            20);
  EXPECT_EQ(platform::MilliClockMode(), platform::CLOCK_COARSE);
  platform::SetMilliClockModeForTest(platform::CLOCK_NOT_PROBED);
}

TEST(ThreadControlTest, AProcessorTheMachineLacksIsRefused) {
  std::thread idle([] { std::this_thread::sleep_for(std::chrono::milliseconds(50)); });
  const int32_t count = platform::ProcessorCount();
  EXPECT_GE(count, 1);
  EXPECT_TRUE(platform::SetSingleProcessorAffinity(idle, count - 1));
  // Bit 31 on a one-processor machine is the side camera's wrapped request.
  if (count < 32) {
    EXPECT_FALSE(platform::SetSingleProcessorAffinity(idle, 31));
  }
  EXPECT_FALSE(platform::SetSingleProcessorAffinity(idle, -1));
  idle.join();
}

TEST(StartProgramTest, AMissingProgramIsReportedAsNotStarted) {
  EXPECT_FALSE(platform::StartProgram("kestrix_no_such_program_here", "|x"));
  EXPECT_FALSE(platform::StartProgram("", "|x"));
  EXPECT_FALSE(platform::StartProgram(nullptr, "|x"));
}

TEST(RestartHandoffTest, ThisProcessIsDescribedAndReadBack) {
  // The description lands in a child's environment, as it does in the updater's.
  const camera_test::ChildResult result = camera_test::RunInChild([] {
    for (const std::string& entry : platform::RestartEnvironment()) {
      const size_t eq = entry.find('=');
      ::setenv(entry.substr(0, eq).c_str(), entry.substr(eq + 1).c_str(), 1);
    }
    platform::RestartRequest request;
    if (!platform::ReadRestartRequest(request)) return 1;
    if (request.pid != ::getpid()) return 2;
    if (!platform::ProcessRunning(request.pid, request.startTime)) return 3;
    if (request.executable.empty() || request.executable[0] != '/') return 4;
    if (request.arguments.empty()) return 5;
    platform::ClearRestartRequest();
    if (std::getenv("KESTRIX_RESTART_PID") != nullptr) return 6;
    if (platform::ReadRestartRequest(request)) return 7;
    return 0;
  });
  ASSERT_TRUE(result.exited);
  EXPECT_EQ(result.code, 0);
}

TEST(RestartHandoffTest, AnExitedProcessIsNotRunningEvenBeforeItIsReaped) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  // Until waited for, the child is a zombie: gone for the updater's purpose.
  camera_test::WaitFor([&] { return platform::ProcessStartTime(child) == 0; }, 5000);
  EXPECT_EQ(platform::ProcessStartTime(child), 0u);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_FALSE(platform::ProcessRunning(child, 1));
  EXPECT_FALSE(platform::ProcessRunning(::getpid(), 1));
  EXPECT_TRUE(platform::ProcessRunning(::getpid(), platform::ProcessStartTime(::getpid())));
}

}  // namespace
