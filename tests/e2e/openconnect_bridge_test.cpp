// kestrix-openconnect as a process between a sensor and a scripted simulator. The sensor side
// is played by the test itself (the shared block and the sensor's endpoint), so every record and
// every moment is the test's choice; the simulator side answers as the test scripted it.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "clientlink/client_link.h"
#include "platform/message_delivery.h"
#include "platform/message_endpoint.h"
#include "platform/shared_block.h"
#include "support/program_bay.h"
#include "support/scripted_simulator.h"

namespace {

using test_support::ScriptedSimulator;

ShotResultRecord Drive(float speed = 60.0f) {
  ShotResultRecord shot;
  shot.m_clubType = 0;
  shot.m_pathClass = 3;
  shot.m_HAngle = 2.0f;
  shot.m_VAngle = 12.0f;
  shot.m_speed = speed;
  shot.m_derivedSpeed = speed;
  shot.m_backSpin = 3000.0f;
  shot.m_sideSpin = 400.0f;
  return shot;
}

// The sensor's side of the link as the test plays it: it writes the block and sends the codes
// the sensor sends, and hears the codes a golf client sends the sensor.
class OpenConnectBay : public test_support::ProgramBay {
 protected:
  void SetUp() override {
    ProgramBay::SetUp();
    block_ =
        platform::CreateSharedBlock(clientlink::kSharedBlockName, clientlink::kSharedBlockSize);
    ASSERT_NE(block_, nullptr);
    ASSERT_TRUE(sensorEndpoint_.Open(clientlink::kSensorWindow));
    listener_ = std::thread([this] {
      while (sensorEndpoint_.ServeOnce(-1, Heard, this) >= 0) {
      }
    });
  }
  void TearDown() override {
    sensorEndpoint_.Wake();
    listener_.join();
    ProgramBay::TearDown();
  }

  void StartBridge(const std::vector<std::string>& extra = {"--heartbeat", "0"}) {
    std::vector<std::string> args = {"--port", std::to_string(simulator.Port()), "--history",
                                     "shots.jsonl"};
    args.insert(args.end(), extra.begin(), extra.end());
    bridge_ = &StartProgram(KESTRIX_OPENCONNECT, args, "bridge");
    ASSERT_TRUE(WaitForClientEndpoint(*bridge_, "bridge"));
    ASSERT_TRUE(WaitFor(
        [&] { return Words().find("connected to the simulator") != std::string::npos; }, 10.0))
        << Words();
  }

  // As the sensor delivers a shot: the record in the block, 7101 sent and waited for.
  void Shot(const ShotResultRecord& shot) {
    std::memcpy(block_, &shot, sizeof shot);
    int64_t answer = 0;
    EXPECT_EQ(
        platform::SendEndpointMessage(clientlink::kClientWindow,
                                      {clientlink::kMessage, clientlink::CODE_SHOT_RESULT, 36},
                                      clientlink::kSendTimeoutMs, &answer),
        platform::SendOutcome::kAnswered);
  }
  void Post(uint32_t code, int64_t lParam = 0) {
    EXPECT_TRUE(platform::PostEndpointMessage(clientlink::kClientWindow,
                                              {clientlink::kMessage, code, lParam}));
  }
  // A straight path ending 200 m along the target line and 30 m to the right.
  void FlightPath() {
    clientlink::FlightPathRecord path;
    path.m_points[599][0] = 30.0f;
    path.m_points[599][2] = 200.0f;
    std::memcpy(block_, &path, sizeof path);
    Post(clientlink::CODE_FLIGHT_PATH, 600);
  }

  std::vector<nlohmann::json> History() const {
    std::vector<nlohmann::json> lines;
    for (const std::string& line : Lines("shots.jsonl"))
      lines.push_back(nlohmann::json::parse(line));
    return lines;
  }
  bool WaitForHistory(size_t lines) const {
    return WaitFor([&] { return Lines("shots.jsonl").size() >= lines; }, 15.0);
  }
  std::vector<std::string> Outcomes() const {
    std::vector<std::string> outcomes;
    for (const nlohmann::json& line : History()) outcomes.push_back(line["outcome"]);
    return outcomes;
  }
  std::string Words() const {
    return test_support::ReadBytes(File("bridge.err")) +
           test_support::ReadBytes(File("bridge.out"));
  }
  std::vector<int64_t> ClubSelections() const {
    std::lock_guard<std::mutex> lock(heardMutex_);
    return clubs_;
  }

  ScriptedSimulator simulator;

 private:
  static int64_t Heard(const platform::Message& message, void* context) {
    auto* self = static_cast<OpenConnectBay*>(context);
    std::lock_guard<std::mutex> lock(self->heardMutex_);
    if (message.wParam == clientlink::CODE_CLUB_SELECTION) self->clubs_.push_back(message.lParam);
    return 1;
  }

  uint8_t* block_ = nullptr;
  platform::MessageEndpoint sensorEndpoint_;
  std::thread listener_;
  mutable std::mutex heardMutex_;
  std::vector<int64_t> clubs_;
  accuracy::ChildProcess* bridge_ = nullptr;
};

TEST_F(OpenConnectBay, SplitAndConcatenatedAnswersAreEachTakenForTheirShot) {
  const std::string ok = ScriptedSimulator::Received200();
  // The first answer in three pieces; none for the second until the third's, which comes in one
  // write with it and with the player's information.
  simulator.ScriptAnswers({{ok.substr(0, 5), ok.substr(5, 12), ok.substr(17)},
                           {},
                           {ok + ok + ScriptedSimulator::Player("I7")}});
  StartBridge();
  Shot(Drive());
  FlightPath();
  ASSERT_TRUE(WaitForHistory(1)) << Words();
  Shot(Drive(50.0f));
  FlightPath();
  Shot(Drive(40.0f));
  FlightPath();
  ASSERT_TRUE(WaitForHistory(3)) << Words();
  EXPECT_EQ(Outcomes(), (std::vector<std::string>{"received", "received", "received"}));
  const auto history = History();
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(history[i]["shotNumber"], i + 1);
    EXPECT_EQ(history[i]["answer"]["Code"], 200);
    EXPECT_EQ(history[i]["sent"]["ShotNumber"], i + 1);
  }
  ASSERT_TRUE(WaitFor([&] { return !ClubSelections().empty(); }, 10.0)) << Words();
  EXPECT_EQ(ClubSelections(), std::vector<int64_t>{7});
  EXPECT_NE(Words().find("player right-handed, club I7 -> the sensor's club 7"), std::string::npos)
      << Words();
  EXPECT_EQ(Words().find("cannot be read"), std::string::npos) << Words();
}

TEST_F(OpenConnectBay, ARefusedShotIsLoggedAndTheNextOneIsPlayed) {
  simulator.ScriptAnswers({{R"({"Code":501,"Message":"Invalid ball data"})"}});
  StartBridge();
  Shot(Drive());
  FlightPath();
  Shot(Drive(45.0f));
  FlightPath();
  ASSERT_TRUE(WaitForHistory(2)) << Words();
  EXPECT_EQ(Outcomes(), (std::vector<std::string>{"refused", "received"}));
  EXPECT_EQ(History()[0]["answer"]["Code"], 501);
  EXPECT_NE(Words().find("the simulator refused shot 1: 501 Invalid ball data"), std::string::npos)
      << Words();
}

TEST_F(OpenConnectBay, GarbageFromTheSimulatorIsToldAndTheConnectionStays) {
  StartBridge();
  simulator.Write("HTTP/1.1 400 Bad Request\r\n\r\n");
  simulator.Write(R"({"Code":} {"Message":"no code"})");
  Shot(Drive());
  FlightPath();
  ASSERT_TRUE(WaitForHistory(1)) << Words();
  EXPECT_EQ(Outcomes(), std::vector<std::string>{"received"});
  EXPECT_EQ(simulator.Connections(), 1);
  const std::string words = Words();
  EXPECT_NE(words.find("bytes that are no JSON object: \"HTTP/1.1 400 Bad Request"),
            std::string::npos)
      << words;
  EXPECT_NE(words.find("not a JSON object: {\"Code\":}"), std::string::npos) << words;
  EXPECT_NE(words.find("no Code of three digits"), std::string::npos) << words;
}

TEST_F(OpenConnectBay, ASimulatorThatGoesAwayIsFoundAgainAndTheShotItMissedIsNotResent) {
  StartBridge();
  Shot(Drive());
  FlightPath();
  ASSERT_TRUE(WaitForHistory(1)) << Words();
  simulator.GoAway();
  ASSERT_TRUE(
      WaitFor([&] { return Words().find("lost the simulator") != std::string::npos; }, 10.0))
      << Words();
  Shot(Drive(50.0f));
  FlightPath();
  ASSERT_TRUE(WaitForHistory(2)) << Words();
  simulator.ComeBack();
  ASSERT_TRUE(WaitFor([&] { return simulator.Connections() == 2; }, 15.0)) << Words();
  // The status message on the new connection, before any shot.
  ASSERT_TRUE(simulator.WaitFor([](const auto& m) { return m.size() >= 3; }, 10.0));
  Shot(Drive(40.0f));
  FlightPath();
  ASSERT_TRUE(WaitForHistory(3)) << Words();
  EXPECT_EQ(Outcomes(),
            (std::vector<std::string>{"received", "not sent: no simulator connected", "received"}));
  const auto shots = simulator.Shots();
  ASSERT_EQ(shots.size(), 2u);
  EXPECT_EQ(shots[0]["ShotNumber"], 1);
  EXPECT_EQ(shots[1]["ShotNumber"], 3);
  // The shot the simulator missed is kept with what it would have been.
  EXPECT_EQ(History()[1]["shotNumber"], 2);
  EXPECT_NEAR(History()[1]["sensor"]["speed"].get<double>(), 50.0, 1e-9);
}

TEST_F(OpenConnectBay, ASimulatorThatNeverReadsDoesNotHoldTheSensorUp) {
  simulator.StopReading();
  StartBridge();
  // Every delivery is answered in time (Shot fails otherwise) while nothing is read on the far
  // side, until the bridge gives the stuck connection up and makes a new one; every shot is kept.
  constexpr size_t kShots = 2000;
  for (size_t i = 0; i < kShots; ++i) Shot(Drive(30.0f + static_cast<float>(i % 40)));
  ASSERT_TRUE(WaitForHistory(kShots)) << Words();
  EXPECT_NE(Words().find("the simulator has not read what was sent"), std::string::npos);
  EXPECT_TRUE(WaitFor([&] { return simulator.Connections() >= 2; }, 10.0)) << Words();
  std::map<std::string, int> outcomes;
  for (const std::string& outcome : Outcomes()) outcomes[outcome]++;
  EXPECT_GT(outcomes["no answer: the connection was lost"], 0) << Words();
  EXPECT_EQ(outcomes["received"], 0);
}

TEST_F(OpenConnectBay, ReadinessFollowsTheShotItCameAfterAndHeartbeatsFillTheSilence) {
  StartBridge({"--heartbeat", "0.3"});
  Post(clientlink::CODE_BALL_READY, 0);
  ASSERT_TRUE(simulator.WaitFor([](const auto& m) { return m.size() >= 2; }, 10.0));
  Shot(Drive());
  // The ball is gone before the flight path comes: the readiness change waits behind the shot.
  Post(clientlink::CODE_BALL_NOT_READY);
  FlightPath();
  ASSERT_TRUE(simulator.WaitFor(
      [](const auto& m) {
        return !m.empty() && m.back()["ShotDataOptions"]["IsHeartBeat"].template get<bool>();
      },
      10.0))
      << Words();
  const auto messages = simulator.Messages();
  ASSERT_GE(messages.size(), 5u);
  const auto ready = [&](size_t i) {
    return messages[i]["ShotDataOptions"]["LaunchMonitorIsReady"].get<bool>();
  };
  const auto ball = [&](size_t i) { return messages[i]["ShotDataOptions"]["ContainsBallData"]; };
  EXPECT_FALSE(ready(0));  // on connect
  EXPECT_EQ(ball(0), false);
  EXPECT_TRUE(ready(1));
  EXPECT_EQ(ball(2), true);
  EXPECT_TRUE(ready(2));
  EXPECT_EQ(ball(3), false);
  EXPECT_FALSE(ready(3));
  EXPECT_EQ(messages[1]["ShotDataOptions"]["IsHeartBeat"], false);
  EXPECT_EQ(messages[4]["ShotDataOptions"]["IsHeartBeat"], true);
  EXPECT_EQ(messages[4]["ShotNumber"], 1);
  // Carry from the path: √(200² + 30²) m in yards.
  EXPECT_NEAR(messages[2]["BallData"]["CarryDistance"].get<double>(),
              std::hypot(200.0, 30.0) / 0.9144, 0.01);
}

}  // namespace
