// A golf client that hangs on a shot result: the sensor's wait for its answer is bounded, so the
// capture threads go back to reading frames at the cameras' rate, the next shot is measured and
// delivered once the client answers again, and no shot arrives twice.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/program_bay.h"

namespace {

using test_support::kFlightPath;
using test_support::kMainShot;
using test_support::kShotResult;

// The client holds its answer to the first shot longer than the sensor waits for it, and is back
// well before the second shot.
constexpr const char* kStallMs = "3000";
constexpr const char* kSession =
    "fps free together\nseed 12\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\n"
    "at 16.0 place rough\n"
    "at 20.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "end 22\n";
// The lowest frame rate at which the analysis takes a shot.
constexpr double kLowestShotFps = 380.0;
constexpr const char* kNoAnswer = "-> client did not answer code 7101; carrying on without it <-";

using HungClient = test_support::ProgramBay;

TEST_F(HungClient, TheWaitIsBoundedTheNextShotIsDeliveredAndNoneTwice) {
  WriteScript(kSession);
  StartListeningClient({"--stall-on-shot", kStallMs, "--timeout", "60"});
  accuracy::ChildProcess& sensor = StartSensor();
  ASSERT_TRUE(WaitFor(
      [&] {
        return Count("client.jsonl", kShotResult) >= 2 && Count("client.jsonl", kFlightPath) >= 1;
      },
      45))
      << Transcript();
  // The second shot's records are named once its analysis is over.
  EXPECT_TRUE(WaitFor([&] { return Records("(S ").size() >= 4; }, 10)) << Transcript();
  ASSERT_TRUE(SendClose()) << Transcript();
  ASSERT_TRUE(sensor.WaitFor(20));
  EXPECT_EQ(sensor.Status(), 0) << Transcript();

  // The sensor gave up on the hung client once and carried on.
  EXPECT_EQ(Count("sensor.err", kNoAnswer), 1u) << Transcript();
  // Both shots measured by both cameras, each at the frame rate of its camera: the wait did not
  // count as frame time, or the analysis would have refused the next shot.
  EXPECT_EQ(Records("(TopMain)(S ").size(), 2u) << Transcript();
  EXPECT_EQ(Records("(TopSide)(S ").size(), 2u) << Transcript();
  for (const std::string& record : Records("(S ")) {
    const std::string ini = ReadRecord(record)["shot.ini"];
    const size_t at = ini.find("fpsForFrame2Frame=");
    ASSERT_NE(at, std::string::npos) << record << ":\n" << ini;
    EXPECT_GE(std::stod(ini.substr(at + std::strlen("fpsForFrame2Frame="))), kLowestShotFps)
        << record;
  }

  // Each shot reached the client once. The flight path of the first was held back, since the
  // client might still have been reading the result from the block; the second got its own.
  const auto lines = Lines("client.jsonl");
  const auto shots = Matching("client.jsonl", kShotResult);
  const auto measured = Matching("sensor.jsonl", kMainShot);
  ASSERT_EQ(shots.size(), 2u) << Transcript();
  ASSERT_EQ(measured.size(), 2u) << Transcript();
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_EQ(test_support::ShotValues(shots[i]), test_support::ShotValues(measured[i]));
  }
  ASSERT_EQ(Count("client.jsonl", kFlightPath), 1u) << Transcript();
  size_t shotsBeforePath = 0;
  for (const std::string& line : lines) {
    if (line.find(kFlightPath) != std::string::npos) break;
    shotsBeforePath += line.find(kShotResult) != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(shotsBeforePath, 2u) << Transcript();
}

}  // namespace
