// Shot records that cannot be written: the golf client still gets every shot, the sensor says
// what it could not write on its debug output, and it neither crashes nor hangs. Tests may run as
// root, whom permissions do not stop, so the folder is made unwritable in ways that stop anyone: a
// file where the folder should be, or a small filesystem that is full after a few frames.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/program_bay.h"

namespace {

namespace fs = std::filesystem;

using test_support::kFlightPath;
using test_support::kShotResult;

constexpr const char* kSession =
    "fps free together\nseed 12\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\n"
    "at 9.0 place rough\n"
    "at 12.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "end 14\n";
constexpr const char* kUnwritten = "-> profile file could not be written: ";
constexpr const char* kFileInTheWay = "not a folder\n";
// Room for the record directories and their first lines, not for a frame dump (100 kB).
constexpr const char* kSmallFilesystem = "size=96k";
constexpr const char* kUnshare = "/usr/bin/unshare";

enum class Blocker { kFileInTheWay, kFullFilesystem };

struct BlockedCase {
  const char* name;
  Blocker blocker;
};

void PrintTo(const BlockedCase& c, std::ostream* os) {
  *os << c.name;
}

// The sensor in a mount namespace of its own with a small filesystem on "data": it goes with the
// sensor, so not even a killed test leaves a mount behind.
std::vector<std::string> FullFilesystemWrapper() {
  return {kUnshare, "--mount", "sh", "-c",
          std::string("mount -t tmpfs -o ") + kSmallFilesystem +
              " kestrix_full data && exec \"$0\" \"$@\""};
}

class UnwritableData : public test_support::ProgramBay,
                       public ::testing::WithParamInterface<BlockedCase> {
 protected:
  // Whether a private mount namespace with a tmpfs can be had here (root, or user namespaces).
  bool CanMountSmallFilesystem() {
    fs::create_directories(dir.path() / "probe");
    accuracy::ChildProcess probe;
    std::string error;
    const bool started =
        probe.Start(kUnshare, {"--mount", "sh", "-c", "mount -t tmpfs -o size=4k probe probe"},
                    dir.path().string(), File("probe.err"), File("probe.err"), &error);
    return started && probe.WaitFor(10) && probe.Status() == 0;
  }
};

TEST_P(UnwritableData, ShotsAreStillDeliveredAndTheFailureIsADebugLine) {
  const BlockedCase& c = GetParam();
  WriteScript(kSession);
  std::vector<std::string> wrapper;
  if (c.blocker == Blocker::kFileInTheWay) {
    test_support::WriteBytes(DataDir().string(), kFileInTheWay);
  } else {
    if (!CanMountSmallFilesystem()) {
      GTEST_SKIP() << "no private mount namespace with a tmpfs here (needs root or user "
                      "namespaces): "
                   << test_support::ReadBytes(File("probe.err"));
    }
    fs::create_directories(DataDir());
    wrapper = FullFilesystemWrapper();
  }
  StartListeningClient({"--timeout", "60"});
  accuracy::ChildProcess& sensor = StartSensor(/*paced=*/false, wrapper);
  ASSERT_TRUE(
      WaitFor([&] { return Count("client.jsonl", kFlightPath) >= 2 || !sensor.Running(); }, 60))
      << Transcript();
  ASSERT_TRUE(SendClose()) << Transcript();
  ASSERT_TRUE(sensor.WaitFor(20)) << Transcript();
  EXPECT_EQ(sensor.Status(), 0) << Transcript();

  EXPECT_EQ(Count("client.jsonl", kShotResult), 2u) << Transcript();
  EXPECT_EQ(Count("client.jsonl", kFlightPath), 2u) << Transcript();
  EXPECT_EQ(Count("sensor.jsonl", test_support::kMainShot), 2u) << Transcript();
  const auto unwritten = Matching("sensor.err", kUnwritten);
  ASSERT_FALSE(unwritten.empty()) << Transcript();
  EXPECT_NE(unwritten.front().find("/data/"), std::string::npos) << unwritten.front();
  if (c.blocker == Blocker::kFileInTheWay) {
    EXPECT_EQ(test_support::ReadBytes(DataDir().string()), kFileInTheWay);
  }
}

INSTANTIATE_TEST_SUITE_P(Blockers, UnwritableData,
                         ::testing::Values(BlockedCase{"FileInTheWay", Blocker::kFileInTheWay},
                                           BlockedCase{"FullFilesystem", Blocker::kFullFilesystem}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
