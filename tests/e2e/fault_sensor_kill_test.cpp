// The sensor killed outright in the middle of a shot's analysis, then started again: the new
// process takes over the shared block and the endpoint the dead one left, the records of earlier
// shots are as they were, and the next shot reaches the golf client that was listening all along.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/program_bay.h"

namespace {

namespace fs = std::filesystem;

using test_support::kFlightPath;
using test_support::kMainShot;
using test_support::kShotResult;

// The client holds its answer to the second shot for a moment: the sensor is then waiting for it
// inside the analysis, which has read and measured the shot but not yet written its record.
constexpr const char* kStallMs = "2500";
constexpr const char* kSession =
    "fps free together\nseed 41\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\n"
    "at 9.0 place rough\n"
    "at 12.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "end 14\n";
// The restarted sensor's shot comes after the client's hang is over.
constexpr const char* kAfterRestart =
    "fps free together\nseed 42\n"
    "at 1.0 place iron\n"
    "at 16.0 shot speed=40 hla=1.0 vla=20 backspin=6000 hand=right\n"
    "end 18\n";

using KilledSensor = test_support::ProgramBay;

TEST_F(KilledSensor, ARestartReusesBlockAndEndpointKeepsRecordsAndDeliversTheNextShot) {
  WriteScript(kSession);
  StartListeningClient({"--stall-on-shot", kStallMs, "--stall-shot", "2", "--timeout", "100"});
  accuracy::ChildProcess& first = StartSensor();
  ASSERT_TRUE(WaitFor(
      [&] { return !Records("(TopMain)(S ").empty() && !Records("(TopSide)(S ").empty(); }, 60))
      << Transcript();
  const auto earlier = ReadRecords();
  WriteScript(kAfterRestart);

  ASSERT_TRUE(WaitFor([&] { return Count("client.jsonl", kShotResult) >= 2; }, 60)) << Transcript();
  first.Signal(SIGKILL);
  ASSERT_TRUE(first.WaitFor(10));
  EXPECT_EQ(first.Status(), 128 + SIGKILL);
  // What the dead sensor leaves: its endpoint's socket file and the shared block.
  const std::string block = ::getenv("KESTRIX_SHM_NAME");
  EXPECT_TRUE(fs::exists(dir.path() / "endpoints" / "VarnokGolfV"));
  EXPECT_TRUE(fs::exists("/dev/shm/" + block));

  accuracy::ChildProcess& second = StartSensor();
  ASSERT_TRUE(WaitFor([&] { return Count("client.jsonl", kFlightPath) >= 2; }, 60)) << Transcript();
  // The new sensor owns the endpoint: it hears the close.
  ASSERT_TRUE(SendClose()) << Transcript();
  ASSERT_TRUE(second.WaitFor(20));
  EXPECT_EQ(second.Status(), 0) << Transcript();

  ExpectRecordsKept(earlier);
  // The client mapped the block before the kill and reads the new sensor's shot from it: the
  // block was reused, not made anew under the name.
  const auto shots = Matching("client.jsonl", kShotResult);
  const auto measured = Matching("sensor.jsonl", kMainShot);
  ASSERT_EQ(shots.size(), 3u) << Transcript();
  ASSERT_EQ(measured.size(), 3u) << Transcript();
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_EQ(test_support::ShotValues(shots[i]), test_support::ShotValues(measured[i]));
  }
  EXPECT_EQ(Records("(TopMain)(S ").size(), 2u) << Transcript();
}

}  // namespace
