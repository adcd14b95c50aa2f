#include "platform/single_instance.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace {

using platform::SingleInstance;

constexpr const char* kName = "VarnokGolfV";

// Every test gets its own endpoint directory; the temp dir itself is not private enough.
class SingleInstanceTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* previous = std::getenv("KESTRIX_ENDPOINT_DIR");
    if (previous != nullptr) previous_ = previous;
    hadPrevious_ = previous != nullptr;
    ::setenv("KESTRIX_ENDPOINT_DIR", endpoints_.c_str(), 1);
  }
  void TearDown() override {
    if (hadPrevious_) {
      ::setenv("KESTRIX_ENDPOINT_DIR", previous_.c_str(), 1);
    } else {
      ::unsetenv("KESTRIX_ENDPOINT_DIR");
    }
  }

  test_support::TempDir temp_;
  const std::string endpoints_ = temp_.File("endpoints");
  std::string previous_;
  bool hadPrevious_ = false;
};

TEST_F(SingleInstanceTest, FirstCopyHoldsAPrivateLockFile) {
  SingleInstance first(kName);
  EXPECT_TRUE(first.Held());
  struct stat info {};
  ASSERT_EQ(::stat((endpoints_ + "/VarnokGolfV.lock").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// flock belongs to the open file description, so a second open in the same process conflicts.
TEST_F(SingleInstanceTest, SecondCopyInTheSameProcessIsNotHeld) {
  SingleInstance first(kName);
  SingleInstance second(kName);
  EXPECT_TRUE(first.Held());
  EXPECT_FALSE(second.Held());
  SingleInstance other("OtherProgram");
  EXPECT_TRUE(other.Held());
}

TEST_F(SingleInstanceTest, DestroyedCopyLetsTheNextOneHold) {
  { SingleInstance first(kName); }
  EXPECT_TRUE(std::filesystem::exists(endpoints_ + "/VarnokGolfV.lock"));
  SingleInstance next(kName);
  EXPECT_TRUE(next.Held());
}

TEST_F(SingleInstanceTest, KilledHolderReleasesIt) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ::close(ready[0]);
    SingleInstance held(kName);
    const char result = held.Held() ? 'y' : 'n';
    if (::write(ready[1], &result, 1) != 1) ::_exit(1);
    ::alarm(30);  // never outlive a parent that failed before killing us
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char result = 0;
  const bool reported = ::read(ready[0], &result, 1) == 1;
  ::close(ready[0]);
  if (reported && result == 'y') {
    SingleInstance whileChildHolds(kName);
    EXPECT_FALSE(whileChildHolds.Held());
  }
  ::kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(reported);
  ASSERT_EQ(result, 'y');
  EXPECT_TRUE(WIFSIGNALED(status));

  SingleInstance afterCrash(kName);
  EXPECT_TRUE(afterCrash.Held());
}

TEST_F(SingleInstanceTest, UnusableLockIsNotHeldAndSaysWhy) {
  std::filesystem::create_directories(endpoints_ + "/VarnokGolfV.lock");  // cannot be opened
  std::filesystem::permissions(endpoints_, std::filesystem::perms::owner_all);
  testing::internal::CaptureStderr();
  SingleInstance blocked(kName);
  const std::string line = testing::internal::GetCapturedStderr();
  EXPECT_FALSE(blocked.Held());
  EXPECT_NE(line.find("second instance"), std::string::npos) << line;
}

}  // namespace
