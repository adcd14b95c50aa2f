#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/debug_output.h"

namespace {

using platform::DebugPrintf;
using platform::OutputDebugStringA;

TEST(DebugOutput, WritesTextAsGiven) {
  testing::internal::CaptureStderr();
  OutputDebugStringA("-> camera open <-\n");
  OutputDebugStringA(nullptr);
  OutputDebugStringA("");
  DebugPrintf("-> %d %s <-\n", 7102, "속도");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "-> camera open <-\n-> 7102 속도 <-\n");
}

TEST(DebugOutput, LongFormattedLineIsCutAndStillEndsTheLine) {
  testing::internal::CaptureStderr();
  DebugPrintf("%s<-\n", std::string(5000, 'a').c_str());
  DebugPrintf("next\n");
  const std::string captured = testing::internal::GetCapturedStderr();
  EXPECT_EQ(captured, std::string(1022, 'a') + "\nnext\n");
}

// Lines of several threads arrive whole, never mixed.
TEST(DebugOutput, LinesOfThreadsDoNotInterleave) {
  constexpr int kThreads = 4;
  constexpr int kLines = 100;
  testing::internal::CaptureStderr();
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      const std::string line = std::string(300, static_cast<char>('a' + t)) + "\n";
      for (int i = 0; i < kLines; ++i) OutputDebugStringA(line.c_str());
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::istringstream captured(testing::internal::GetCapturedStderr());
  int lines = 0;
  for (std::string line; std::getline(captured, line); ++lines) {
    ASSERT_EQ(line.size(), 300u);
    ASSERT_EQ(line.find_first_not_of(line[0]), std::string::npos) << "mixed line";
  }
  EXPECT_EQ(lines, kThreads * kLines);
}

}  // namespace
