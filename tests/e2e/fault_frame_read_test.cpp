// The main camera stops delivering frames while the sensor reads the frames of a shot: the camera
// error is logged, the sensor restarts itself through the updater, and nothing that was recorded
// or delivered before is lost or touched.
#include <gtest/gtest.h>

#include <string>

#include "support/program_bay.h"

namespace {

using test_support::kMainShot;
using test_support::kShotResult;

// One shot delivered, then a second whose frames the main camera fails to deliver: the ball
// leaves at 12.0 and the analysis reads its frames for about 60 ms from the trigger, so reads from
// 12.02 on fail inside it.
constexpr const char* kFailingSession =
    "fps free together\nseed 12\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\n"
    "at 9.0 place rough\n"
    "at 12.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "at 12.02 fail main read 1.0\n"
    "end 14\n";
// What the restarted sensor plays. Its shot comes late enough that its records never share a
// second, and so a name, with the side camera's record that the restart cut short.
constexpr const char* kAfterRestart =
    "fps free together\nseed 13\n"
    "at 1.0 place iron\n"
    "at 10.0 shot speed=40 hla=1.0 vla=20 backspin=6000 hand=right\n"
    "end 12\n";

// Both cameras stop at the same frame of an idle bay.
constexpr const char* kBothFailing =
    "fps free together\nseed 5\n"
    "at 2.0 fail main read 1.0\n"
    "at 2.0 fail side read 1.0\n"
    "end 4\n";

using FrameReadFault = test_support::ProgramBay;

TEST_F(FrameReadFault, TheShotEndsAsNoShotTheUpdaterRestartsTheSensorAndEarlierRecordsStay) {
  InstallUpdater();
  WriteScript(kFailingSession);
  StartListeningClient({"--timeout", "100"});
  accuracy::ChildProcess& sensor = StartSensor();

  // Both cameras' records of the first shot are complete once named after their outcome.
  ASSERT_TRUE(WaitFor(
      [&] { return !Records("(TopMain)(S ").empty() && !Records("(TopSide)(S ").empty(); }, 60))
      << Transcript();
  const auto earlier = ReadRecords();
  WriteScript(kAfterRestart);

  ASSERT_TRUE(WaitFor([&] { return Count("client.jsonl", kShotResult) >= 2; }, 60)) << Transcript();
  // The camera error ends the first sensor at once, with a normal exit.
  ASSERT_TRUE(sensor.WaitFor(10));
  EXPECT_EQ(sensor.Status(), 0);
  ASSERT_TRUE(SendClose()) << Transcript();
  const auto restarted = RestartedSensors();
  ASSERT_EQ(restarted.size(), 1u) << Transcript();
  EXPECT_TRUE(WaitFor([&] { return !Running(restarted[0]); }, 20));

  const std::string cameraLog = test_support::ReadBytes(File("camera.txt"));
  EXPECT_NE(cameraLog.find("-> SensorType (0) : (m_cameraIndex-0) (CMainCamera::CameraError-"),
            std::string::npos)
      << cameraLog;
  EXPECT_NE(cameraLog.find("started with \"|APP_RESET_FOR_CAMERA_ERROR\""), std::string::npos)
      << cameraLog;

  // The failed shot is named as no shot, although the camera error ended the process; the only
  // main-camera records are the two delivered shots and that one.
  EXPECT_EQ(Records("(TopMain)---").size(), 1u) << Transcript();
  EXPECT_EQ(Records("(TopMain)(S ").size(), 2u) << Transcript();
  EXPECT_EQ(Records("(TopMain)").size(), 3u) << Transcript();
  ExpectRecordsKept(earlier);

  // Each delivered shot reached the client once, the failed one never.
  const auto shots = Matching("client.jsonl", kShotResult);
  const auto measured = Matching("sensor.jsonl", kMainShot);
  ASSERT_EQ(shots.size(), 2u) << Transcript();
  ASSERT_EQ(measured.size(), 2u) << Transcript();
  for (size_t i = 0; i < shots.size(); ++i) {
    EXPECT_EQ(test_support::ShotValues(shots[i]), test_support::ShotValues(measured[i]));
  }
}

TEST_F(FrameReadFault, BothCamerasFailingTogetherRestartTheSensorOnce) {
  InstallUpdater();
  WriteScript(kBothFailing);
  StartListeningClient({"--timeout", "60"});
  accuracy::ChildProcess& sensor = StartSensor();
  // The cameras have read the script once they stream; the bay is still idle then.
  ASSERT_TRUE(WaitFor([&] { return Count("sensor.err", "-> CameraProperty : ") >= 2; }, 30))
      << Transcript();
  WriteScript(kAfterRestart);
  ASSERT_TRUE(sensor.WaitFor(60)) << Transcript();
  ASSERT_TRUE(WaitFor([&] { return Count("client.jsonl", kShotResult) >= 1; }, 60)) << Transcript();
  ASSERT_TRUE(SendClose()) << Transcript();

  // A second updater would have started a second sensor, and every shot would come twice.
  EXPECT_EQ(Count("camera.txt", "started with \"|APP_RESET_FOR_CAMERA_ERROR\""), 1u)
      << Transcript();
  const auto restarted = RestartedSensors();
  ASSERT_EQ(restarted.size(), 1u) << Transcript();
  EXPECT_TRUE(WaitFor([&] { return !Running(restarted[0]); }, 20));
  EXPECT_EQ(Count("client.jsonl", kShotResult), 1u) << Transcript();
}

}  // namespace
