#include "platform/process_list.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/power_settings.h"
#include "platform/thread_control.h"

extern char** environ;

namespace {

using platform::ListProcesses;
using platform::SetProcessAffinityMask;

std::optional<std::string> NameOf(int pid) {
  for (const platform::ProcessEntry& entry : ListProcesses()) {
    if (entry.pid == pid) return entry.exeName;
  }
  return std::nullopt;
}

// /bin/sleep 5, killed and reaped when the test ends however it ends.
class SleepingChild {
 public:
  SleepingChild() {
    char program[] = "/bin/sleep";
    char seconds[] = "5";
    char* argv[] = {program, seconds, nullptr};
    if (::posix_spawn(&pid_, program, nullptr, nullptr, argv, environ) != 0) pid_ = -1;
  }
  ~SleepingChild() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  SleepingChild(const SleepingChild&) = delete;
  SleepingChild& operator=(const SleepingChild&) = delete;
  int pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

// The lowest processor this test may run on; bit 0 alone fails where a cpuset leaves it out.
int FirstAllowedProcessor() {
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof set, &set) != 0) return -1;
  for (int n = 0; n < 32; ++n) {
    if (CPU_ISSET(n, &set)) return n;
  }
  return -1;
}

TEST(ProcessList, ContainsThisProcessAndAChildByName) {
  SleepingChild child;
  ASSERT_GT(child.pid(), 0);
  EXPECT_EQ(NameOf(platform::CurrentProcessId()), std::string(program_invocation_short_name));
  EXPECT_EQ(NameOf(child.pid()), "sleep");
}

TEST(ProcessAffinity, PlacesAChildOnTheProcessorsNamed) {
  const int processor = FirstAllowedProcessor();
  ASSERT_GE(processor, 0);
  SleepingChild child;
  ASSERT_GT(child.pid(), 0);
  ASSERT_TRUE(SetProcessAffinityMask(child.pid(), 1u << processor));
  cpu_set_t set;
  CPU_ZERO(&set);
  ASSERT_EQ(::sched_getaffinity(child.pid(), sizeof set, &set), 0);
  EXPECT_EQ(CPU_COUNT(&set), 1);
  EXPECT_TRUE(CPU_ISSET(processor, &set));
}

// Every thread moves, not just the one the pid names.
TEST(ProcessAffinity, PlacesEveryThreadOfTheProcess) {
  const int processor = FirstAllowedProcessor();
  ASSERT_GE(processor, 0);
  cpu_set_t original;
  ASSERT_EQ(::sched_getaffinity(0, sizeof original, &original), 0);
  std::atomic<bool> stop{false};
  std::thread worker([&stop] {
    while (!stop) std::this_thread::yield();
  });
  const bool placed = SetProcessAffinityMask(platform::CurrentProcessId(), 1u << processor);
  cpu_set_t workerSet;
  CPU_ZERO(&workerSet);
  const int error = pthread_getaffinity_np(worker.native_handle(), sizeof workerSet, &workerSet);
  stop = true;
  worker.join();
  ::sched_setaffinity(0, sizeof original, &original);
  ASSERT_TRUE(placed);
  ASSERT_EQ(error, 0);
  EXPECT_EQ(CPU_COUNT(&workerSet), 1);
  EXPECT_TRUE(CPU_ISSET(processor, &workerSet));
}

TEST(ProcessAffinity, RefusesMasksWithoutAProcessorOfThisMachine) {
  const int32_t processors = platform::ProcessorCount();
  if (processors >= 32) GTEST_SKIP() << "every bit of the mask names a processor here";
  SleepingChild child;
  ASSERT_GT(child.pid(), 0);
  cpu_set_t before;
  ASSERT_EQ(::sched_getaffinity(child.pid(), sizeof before, &before), 0);
  const struct {
    const char* what;
    uint32_t mask;
  } cases[] = {
      {"empty", 0},
      {"first missing processor", 1u << processors},
      {"top bit", 1u << 31},
      {"a real one and a missing one", 1u | (1u << 31)},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(SetProcessAffinityMask(child.pid(), c.mask)) << c.what;
  }
  cpu_set_t after;
  ASSERT_EQ(::sched_getaffinity(child.pid(), sizeof after, &after), 0);
  EXPECT_TRUE(CPU_EQUAL(&before, &after));
}

TEST(ProcessAffinity, RefusesAProcessThatDoesNotExist) {
  int pidMax = 0;
  std::ifstream("/proc/sys/kernel/pid_max") >> pidMax;
  ASSERT_GT(pidMax, 0);
  for (const int pid : {pidMax, 0, -1}) {  // pids stay below pid_max; 0 would mean the caller
    EXPECT_FALSE(SetProcessAffinityMask(pid, 1u)) << pid;
  }
}

// Nothing to observe without the privilege, but it must stay quiet and callable again.
TEST(PowerSettings, KeepProcessorsAwakeIsSilentAndRepeatable) {
  testing::internal::CaptureStderr();
  platform::KeepProcessorsAwake();
  platform::KeepProcessorsAwake();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

}  // namespace
