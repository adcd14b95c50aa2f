// A session on the simulated bay through kestrix-headless and kestrix-openconnect into the
// scripted simulator: what the simulator receives is checked against the session's truth, so a
// unit or sign fault between the sensor and the simulator fails here.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/program_bay.h"
#include "support/scripted_simulator.h"
#include "trajectory/trajectory.h"
#include "trajectory/ts_base.h"

namespace {

namespace fs = std::filesystem;

constexpr double kMph = 2.23694;
constexpr double kYard = 0.9144;

// Horizontal angles and side spins of both signs, so a swapped sign cannot pass.
constexpr const char* kSession =
    "fps free 500 together\ncameras 2\nseed 20\n"
    "at 1.0 place tee\n"
    "at 4.0 shot speed=68 hla=4.0 vla=12 backspin=2800 path=-2.0 hand=right\n"
    "at 6.0 place iron\n"
    "at 9.0 shot speed=45 hla=-4.0 vla=18 backspin=6000 path=2.0 hand=right\n"
    "at 11.0 place rough\n"
    "at 14.0 shot speed=38 hla=4.0 vla=22 backspin=5200 path=-1.5 hand=right\n"
    "end 16\n";

class OpenConnectSession : public test_support::ProgramBay {
 protected:
  void StartBridge() {
    accuracy::ChildProcess& bridge =
        StartProgram(KESTRIX_OPENCONNECT,
                     {"--port", std::to_string(simulator.Port()), "--heartbeat", "0"}, "bridge");
    ASSERT_TRUE(WaitForClientEndpoint(bridge, "bridge"));
    ASSERT_TRUE(WaitFor(
        [&] { return Words().find("connected to the simulator") != std::string::npos; }, 10.0))
        << Words();
  }
  std::string Words() const {
    return test_support::ReadBytes(File("bridge.err")) +
           test_support::ReadBytes(File("bridge.out"));
  }
  std::vector<nlohmann::json> JsonLines(const std::string& name) const {
    std::vector<nlohmann::json> lines;
    for (const std::string& line : Lines(name)) lines.push_back(nlohmann::json::parse(line));
    return lines;
  }

  test_support::ScriptedSimulator simulator;
};

// The carry the sensor's own flight path gives for its record, in yards.
double CarryFromTable(const nlohmann::json& sensor) {
  static cTrajectory table;
  if (table.Count() == 0) table.Load(KESTRIX_DATA_BI);
  cTS_Base flight(table);
  flight.m_input[0] = sensor["hAngle"].get<float>();
  flight.m_input[1] = sensor["vAngle"].get<float>();
  flight.m_input[2] = sensor["speed"].get<float>();
  flight.m_input[4] = sensor["sideSpin"].get<float>();
  flight.Swing_GetTrajectory2();
  if (flight.m_pointCount == 0) return -1.0;
  const auto& end = flight.m_flightPath[flight.m_pointCount - 1];
  return std::hypot(static_cast<double>(end[0]), static_cast<double>(end[2])) / kYard;
}

TEST_F(OpenConnectSession, EveryDeliveredShotReachesTheSimulatorInItsUnitsAndSigns) {
  WriteScript(kSession);
  StartBridge();
  accuracy::ChildProcess& sensor = StartSensor();
  ASSERT_TRUE(WaitFor([&] { return Lines("shots.jsonl").size() >= 3 || !sensor.Running(); }, 120.0))
      << Words() << SensorLogTail();
  // The last shot's answer may come before the sensor's "not ready" that follows the shot: the
  // watch posts it on a later frame. Ten messages are the connect status and three of ready,
  // shot, not ready; the comparison below says what is missing if they never come.
  simulator.WaitFor([](const auto& m) { return m.size() >= 10; }, 10.0);
  ASSERT_TRUE(SendClose());

  const auto truth = JsonLines("sim_truth.jsonl");
  const auto history = JsonLines("shots.jsonl");
  const auto shots = simulator.Shots();
  ASSERT_EQ(truth.size(), 3u);
  ASSERT_EQ(history.size(), 3u) << Words();
  ASSERT_EQ(shots.size(), 3u) << Words();
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE("shot " + std::to_string(i + 1));
    const nlohmann::json& sent = shots[i];
    const nlohmann::json& ball = sent["BallData"];
    const nlohmann::json& real = truth[i];
    EXPECT_EQ(sent["ShotNumber"], i + 1);
    EXPECT_EQ(sent["DeviceID"], "Kestrix");
    EXPECT_EQ(sent["Units"], "Yards");
    EXPECT_EQ(sent["APIversion"], "1");
    EXPECT_EQ(sent["ShotDataOptions"]["ContainsClubData"], false);
    EXPECT_FALSE(sent.contains("ClubData"));
    EXPECT_EQ(history[i]["outcome"], "received");
    EXPECT_EQ(history[i]["sent"], sent);

    // Against the truth, within what the sensor measures: a unit or sign fault is far outside.
    const double speed = real["speed"].get<double>() * kMph;
    EXPECT_NEAR(ball["Speed"].get<double>(), speed, 0.1 * speed);
    EXPECT_NEAR(ball["HLA"].get<double>(), real["hla"].get<double>(), 2.5);
    EXPECT_NEAR(ball["VLA"].get<double>(), real["vla"].get<double>(), 2.5);
    EXPECT_NEAR(ball["BackSpin"].get<double>(), real["backspin"].get<double>(),
                0.5 * real["backspin"].get<double>());
    EXPECT_EQ(ball["SideSpin"].get<double>() > 0, real["sidespin"].get<double>() > 0);
    EXPECT_EQ(ball["SpinAxis"].get<double>() > 0, real["sidespin"].get<double>() > 0);

    // Against the sensor's own record, exactly: the conversions and nothing else.
    const nlohmann::json& measured = history[i]["sensor"];
    EXPECT_NEAR(ball["Speed"].get<double>(), measured["speed"].get<double>() * kMph, 0.006);
    EXPECT_NEAR(ball["HLA"].get<double>(), measured["hAngle"].get<double>(), 0.006);
    EXPECT_NEAR(ball["VLA"].get<double>(), measured["vAngle"].get<double>(), 0.006);
    EXPECT_NEAR(ball["BackSpin"].get<double>(), measured["backSpin"].get<double>(), 0.006);
    EXPECT_NEAR(ball["SideSpin"].get<double>(), measured["sideSpin"].get<double>(), 0.006);
    EXPECT_NEAR(ball["TotalSpin"].get<double>(),
                std::hypot(ball["BackSpin"].get<double>(), ball["SideSpin"].get<double>()), 0.02);
    EXPECT_NEAR(
        ball["SpinAxis"].get<double>(),
        std::atan2(ball["SideSpin"].get<double>(), ball["BackSpin"].get<double>()) * 180.0 / M_PI,
        0.02);
    // The sensor's flight path ends where its table says, in yards.
    ASSERT_TRUE(ball.contains("CarryDistance")) << Words();
    EXPECT_NEAR(ball["CarryDistance"].get<double>(), CarryFromTable(measured), 0.006);
  }

  // Readiness in order: not ready on connect, then ready before each shot and not ready after it.
  std::vector<std::string> flow;
  for (const nlohmann::json& message : simulator.Messages()) {
    const nlohmann::json& options = message["ShotDataOptions"];
    if (options["ContainsBallData"].get<bool>()) {
      flow.push_back("shot");
    } else {
      flow.push_back(options["LaunchMonitorIsReady"].get<bool>() ? "ready" : "not ready");
      EXPECT_EQ(options["LaunchMonitorIsReady"], options["LaunchMonitorBallDetected"]);
    }
  }
  EXPECT_EQ(flow, (std::vector<std::string>{"not ready", "ready", "shot", "not ready", "ready",
                                            "shot", "not ready", "ready", "shot", "not ready"}));
}

TEST_F(OpenConnectSession, TheSimulatorsClubChoiceReachesTheSensor) {
  WriteScript("fps 200\ncameras 2\n");
  StartBridge();
  StartSensor();
  ASSERT_TRUE(WaitFor([&] { return fs::exists(dir.path() / "endpoints" / "VarnokGolfV"); }, 30.0))
      << SensorLogTail();
  const fs::path putter = File("putter.txt");
  simulator.Write(test_support::ScriptedSimulator::Player("PT"));
  EXPECT_TRUE(WaitFor([&] { return fs::exists(putter); }, 20.0)) << Words() << SensorLogTail();
  simulator.Write(test_support::ScriptedSimulator::Player("DR", "LH"));
  EXPECT_TRUE(WaitFor([&] { return !fs::exists(putter); }, 20.0)) << Words() << SensorLogTail();
  EXPECT_NE(Words().find("player left-handed, club DR -> the sensor's club 0"), std::string::npos)
      << Words();
  ASSERT_TRUE(SendClose());
}

}  // namespace
