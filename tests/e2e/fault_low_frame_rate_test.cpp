// Cameras that deliver too few frames for a shot: each such shot is refused, and the third refusal
// since the start, a good shot in between notwithstanding, is reported up to the capture thread,
// which marks the camera's status (9), logs a frame-rate camera error and restarts the sensor
// through the updater. The restarted sensor measures and delivers again.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "support/program_bay.h"

namespace {

namespace fs = std::filesystem;

using test_support::kShotResult;

// Both cameras slow down together: free-running cameras keep step frame by frame, so one slow
// camera alone would see the session run at another pace than its peer. The frame rate is an
// average over 200 reads, so each slow spell starts well before its shots.
constexpr const char* kSession =
    "fps free together\nseed 21\n"
    "at 0.0 fail main slow 300 22.5\n"
    "at 0.0 fail side slow 300 22.5\n"
    "at 1.0 place iron\n"
    "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right\n"
    "at 13.0 place rough\n"
    "at 16.0 shot speed=35 hla=1.0 vla=20 backspin=5000 hand=right\n"
    "at 25.0 place iron\n"
    "at 28.0 shot speed=38 hla=0.5 vla=20 backspin=5000 hand=right\n"
    "at 31.5 fail main slow 300\n"
    "at 31.5 fail side slow 300\n"
    "at 37.0 place rough\n"
    "at 40.0 shot speed=42 hla=1.0 vla=19 backspin=6000 hand=right\n"
    "end 42\n";
// Its shot comes late enough that its record never shares a second with one the first sensor
// left unfinished.
constexpr const char* kAfterRestart =
    "fps free together\nseed 22\n"
    "at 1.0 place iron\n"
    "at 10.0 shot speed=40 hla=1.0 vla=20 backspin=6000 hand=right\n"
    "end 12\n";
constexpr const char* kRefusal = "-> m_fpsForFrame2Frame : ";

using LowFrameRate = test_support::ProgramBay;

TEST_F(LowFrameRate, TheThirdRefusalRestartsTheSensorThroughTheCaptureThread) {
  InstallUpdater();
  WriteScript(kSession);
  StartListeningClient({"--timeout", "100"});
  accuracy::ChildProcess& sensor = StartSensor();
  // The cameras have read the script once they stream; a restarted sensor plays the next one.
  ASSERT_TRUE(WaitFor([&] { return Count("sensor.err", "-> CameraProperty : ") >= 2; }, 30))
      << Transcript();
  WriteScript(kAfterRestart);
  ASSERT_TRUE(WaitFor([&] { return Count("client.jsonl", kShotResult) >= 2; }, 60)) << Transcript();
  ASSERT_TRUE(sensor.WaitFor(10));
  EXPECT_EQ(sensor.Status(), 0);
  ASSERT_TRUE(SendClose()) << Transcript();
  const auto restarted = RestartedSensors();
  ASSERT_EQ(restarted.size(), 1u) << Transcript();
  EXPECT_TRUE(WaitFor([&] { return !Running(restarted[0]); }, 20));

  // The capture thread of whichever camera refused for the third time first logged the error for
  // the frame rate, the only place that does so, right after setting the status to 9.
  const std::string cameraLog = test_support::ReadBytes(File("camera.txt"));
  std::smatch error;
  const std::regex fpsError(R"(-> SensorType \(([01])\)\(fps\) : \(m_cameraIndex-[01]\) )");
  ASSERT_TRUE(std::regex_search(cameraLog, error, fpsError)) << cameraLog;
  EXPECT_GE(Count("sensor.err", "-> LOW FPS <-"), 1u);
  const std::string camera = error[1] == "0" ? "(TopMain)" : "(TopSide)";

  // That camera refused three shots, each record logging the rate it measured and named so,
  // and measured the good one between them. Free-running cameras can be fast enough for two
  // shots in one second, whose records then have the same name: a move never replaces a record,
  // so the later one keeps its first name.
  size_t refused = 0;
  for (const std::string& record : Records(camera)) {
    const std::string log = ReadRecord(record)["log.txt"];
    if (log.find(kRefusal) == std::string::npos) continue;
    ++refused;
    const bool named = record.ends_with(camera + "(fps)---");
    const bool nameTaken =
        record.ends_with(camera) && fs::exists(DataDir() / (record + "(fps)---"));
    EXPECT_TRUE(named || nameTaken) << record << Transcript();
  }
  EXPECT_EQ(refused, 3u) << Transcript();
  EXPECT_EQ(Records(camera + "(S ").size(), 2u) << Transcript();

  // The refused shots never reached the client: the good one did, then the restarted sensor's.
  EXPECT_EQ(Count("client.jsonl", kShotResult), 2u) << Transcript();
}

}  // namespace
