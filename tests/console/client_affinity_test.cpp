#include "console/client_affinity.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <string>

#include "platform/thread_control.h"

namespace {

TEST(ClientAffinity, MasksLeaveTheLastThreeProcessorsToTheSensor) {
  const std::pair<int, uint32_t> client[] = {{1, 0},    {3, 0},    {4, 0x3}, {5, 0x7}, {6, 0xF},
                                             {7, 0x1F}, {8, 0x3F}, {9, 0x3}, {64, 0x3}};
  for (const auto& [processors, mask] : client) {
    EXPECT_EQ(console::ClientAffinityMask(processors), mask) << processors;
  }
  EXPECT_EQ(console::SensorAffinityMask(8), 0xE0u);
  // Bit numbers go round at 32: two processors ask for bit 31, which the system refuses.
  EXPECT_EQ(console::SensorAffinityMask(2), (1u << 31) | 0x3u);
}

TEST(ClientAffinity, TheFileIsTakenAsReadCutToItsBuffer) {
  using console::ClientProcessName;
  EXPECT_EQ(ClientProcessName::FromFileBytes("Golf.exe\r\n"), "Golf.exe\r\n");
  EXPECT_EQ(ClientProcessName::FromFileBytes(std::string("Golf\0rest", 9)), "Golf");
  EXPECT_EQ(ClientProcessName::FromFileBytes(std::string(300, 'x')).size(), 255u);
}

// The client is found by its executable name exactly: a name with the file's line break still
// in it matches nothing.
TEST(ClientAffinity, OnlyTheExactNameReachesTheClientsProcess) {
  pid_t child = 0;
  char sleepPath[] = "/bin/sleep", seconds[] = "20";
  char* argv[] = {sleepPath, seconds, nullptr};
  ASSERT_EQ(posix_spawn(&child, sleepPath, nullptr, nullptr, argv, environ), 0);
  EXPECT_FALSE(console::ApplyClientAffinity(""));
  EXPECT_FALSE(console::ApplyClientAffinity("sleep\n"));
  EXPECT_FALSE(console::ApplyClientAffinity("slee"));
  EXPECT_TRUE(console::ApplyClientAffinity("sleep"));
  if (platform::ProcessorCount() >= 4) {
    cpu_set_t set;
    ASSERT_EQ(sched_getaffinity(child, sizeof set, &set), 0);
    EXPECT_TRUE(CPU_ISSET(0, &set));
    EXPECT_FALSE(CPU_ISSET(platform::ProcessorCount() - 1, &set));
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

}  // namespace
