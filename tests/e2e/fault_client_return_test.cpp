// The golf client goes away between shots and a new one comes: the sensor finds the client anew
// for every message, so a shot while none listens is simply not heard, and the next shot reaches
// the new client through the same shared block.
#include <gtest/gtest.h>

#include <string>

#include "support/program_bay.h"

namespace {

using test_support::kFlightPath;
using test_support::kMainShot;
using test_support::kShotResult;

constexpr const char* kSession =
    "fps free together\nseed 31\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\n"
    "at 9.0 place rough\n"
    "at 12.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "at 17.0 place iron\n"
    "at 20.0 shot speed=42 hla=-1.0 vla=19 backspin=6000 hand=left\n"
    "end 22\n";

using ReturningClient = test_support::ProgramBay;

TEST_F(ReturningClient, TheShotAfterTheClientCameBackReachesTheNewClient) {
  WriteScript(kSession);
  // Ready, the shot and its flight path; then this client is gone.
  accuracy::ChildProcess& first =
      StartListeningClient({"--count", "3", "--timeout", "60"}, "first");
  accuracy::ChildProcess& sensor = StartSensor();
  ASSERT_TRUE(first.WaitFor(60)) << Transcript("first");
  EXPECT_EQ(first.Status(), 0) << Transcript("first");

  // The second shot is delivered to nobody; its record is named last, after its messages went.
  ASSERT_TRUE(WaitFor([&] { return Records("(TopMain)(S ").size() >= 2; }, 60))
      << Transcript("first");
  StartListeningClient({"--timeout", "60"}, "second");
  ASSERT_TRUE(WaitFor([&] { return Count("second.jsonl", kFlightPath) >= 1; }, 60))
      << Transcript("second");
  ASSERT_TRUE(SendClose()) << Transcript("second");
  ASSERT_TRUE(sensor.WaitFor(20));
  EXPECT_EQ(sensor.Status(), 0) << Transcript("second");

  const auto measured = Matching("sensor.jsonl", kMainShot);
  const auto heardFirst = Matching("first.jsonl", kShotResult);
  const auto heardSecond = Matching("second.jsonl", kShotResult);
  ASSERT_EQ(measured.size(), 3u) << Transcript("second");
  ASSERT_EQ(heardFirst.size(), 1u) << Transcript("first");
  ASSERT_EQ(heardSecond.size(), 1u) << Transcript("second");
  EXPECT_EQ(test_support::ShotValues(heardFirst[0]), test_support::ShotValues(measured[0]));
  EXPECT_EQ(test_support::ShotValues(heardSecond[0]), test_support::ShotValues(measured[2]));
  EXPECT_EQ(Records("(TopMain)(S ").size(), 3u) << Transcript("second");
}

}  // namespace
