// kestrix-sensor, the console program, as a process: one copy per machine, and the shutdown that
// every end of the window runs.
#include <csignal>
#include <filesystem>

#include "platform/profile.h"
#include "support/program_bay.h"

namespace {

namespace fs = std::filesystem;

class ConsoleProgram : public test_support::ProgramBay {
 protected:
  void SetUp() override {
    ProgramBay::SetUp();
    sensorProgram = KESTRIX_SENSOR;
    WriteScript("fps free\ncameras 2\n");
  }
  // Both cameras opened and the console runs.
  bool Started() const { return Count("sensor.err", "-> CameraProperty : ") >= 4; }
};

TEST_F(ConsoleProgram, ASecondCopyLeavesAtOnceWithoutTouchingTheFirst) {
  accuracy::ChildProcess& first = StartSensor();
  ASSERT_TRUE(WaitFor([&] { return Started(); }, 30)) << SensorLogTail();
  accuracy::ChildProcess& second = StartSensor();
  ASSERT_TRUE(second.WaitFor(10)) << "the second copy is still running";
  EXPECT_EQ(second.Status(), 0);
  EXPECT_EQ(Count("sensor.err", "-> CameraProperty : "), 4u) << "it opened no camera";
  EXPECT_TRUE(first.Running());
  ASSERT_TRUE(SendClose());
  ASSERT_TRUE(first.WaitFor(20));
  EXPECT_EQ(first.Status(), 0);
}

// SIGTERM ends the window by the same shutdown as the close box: both cameras stopped (each
// writes its settings back over what was put in the file meanwhile) and the putter flag
// forgotten; the lock is free for the next start.
TEST_F(ConsoleProgram, SigtermStopsBothCamerasAndTheNextStartRuns) {
  test_support::WriteBytes(File("putter.txt"), "");
  const auto gain = [this](const char* file) {
    char value[16] = {};
    platform::GetPrivateProfileStringA("setting", "gain", "", value, sizeof value,
                                       File(file).c_str());
    return std::string(value);
  };
  const std::string mainGain = gain("setting_top.ini"), sideGain = gain("setting_top_side.ini");
  accuracy::ChildProcess& sensor = StartSensor();
  ASSERT_TRUE(WaitFor([&] { return Started(); }, 30)) << SensorLogTail();
  for (const char* file : {"setting_top.ini", "setting_top_side.ini"}) {
    platform::WritePrivateProfileStringA("setting", "gain", "1", File(file).c_str());
  }
  sensor.Signal(SIGTERM);
  ASSERT_TRUE(sensor.WaitFor(20)) << SensorLogTail();
  EXPECT_EQ(sensor.Status(), 0);
  EXPECT_FALSE(fs::exists(File("putter.txt")));
  EXPECT_EQ(gain("setting_top.ini"), mainGain);
  EXPECT_EQ(gain("setting_top_side.ini"), sideGain);

  accuracy::ChildProcess& again = StartSensor();
  EXPECT_TRUE(WaitFor([&] { return Count("sensor.err", "-> CameraProperty : ") >= 8; }, 30))
      << SensorLogTail();
  again.Signal(SIGTERM);
  ASSERT_TRUE(again.WaitFor(20));
  EXPECT_EQ(again.Status(), 0);
}

}  // namespace
