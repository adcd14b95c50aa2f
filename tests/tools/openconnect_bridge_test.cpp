// The bridge on a clock of the test's own: when a shot goes, what goes with it and after it,
// and what the history keeps.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "bridge.h"
#include "clientlink/client_link.h"

namespace {

using namespace openconnect;

class FakeOutputs : public BridgeOutputs {
 public:
  bool connected = true;
  std::vector<nlohmann::json> sent;
  std::vector<nlohmann::json> history;
  std::vector<int> clubs;
  std::vector<std::string> told, warned;

  bool Connected() const override { return connected; }
  bool SendToSimulator(const std::string& text) override {
    sent.push_back(nlohmann::json::parse(text));
    return true;
  }
  void SelectClub(int clubCode) override { clubs.push_back(clubCode); }
  void Tell(const std::string& line) override { told.push_back(line); }
  void Warn(const std::string& line) override { warned.push_back(line); }
  void RecordShot(const nlohmann::ordered_json& line) override {
    history.push_back(nlohmann::json::parse(line.dump()));
  }
  std::string WallTime() const override { return "2026-12-11 10:00:00.000"; }

  // Shots sent, as "shot N" or "ready"/"not ready"/"heartbeat".
  std::vector<std::string> Flow() const {
    std::vector<std::string> flow;
    for (const auto& m : sent) {
      const auto& o = m["ShotDataOptions"];
      if (o["ContainsBallData"].get<bool>()) {
        flow.push_back("shot " + std::to_string(m["ShotNumber"].get<int>()));
      } else if (o["IsHeartBeat"].get<bool>()) {
        flow.push_back("heartbeat");
      } else {
        flow.push_back(o["LaunchMonitorIsReady"].get<bool>() ? "ready" : "not ready");
      }
    }
    return flow;
  }
};

clienttool::ReceivedMessage Message(uint32_t code, int64_t lParam = 0) {
  clienttool::ReceivedMessage message;
  message.code = code;
  message.lParam = lParam;
  message.hasPayload = clienttool::CarriesPayload(code);
  return message;
}

clienttool::ReceivedMessage ShotMessageOf(float speed, int clubType = 0) {
  ShotResultRecord shot;
  shot.m_clubType = clubType;
  shot.m_speed = speed;
  shot.m_VAngle = 12.0f;
  shot.m_backSpin = 2500.0f;
  auto message = Message(clientlink::CODE_SHOT_RESULT, 36);
  std::memcpy(message.payload, &shot, sizeof shot);
  return message;
}

clienttool::ReceivedMessage PathOf(float metres) {
  clientlink::FlightPathRecord path;
  path.m_points[0][2] = metres;
  auto message = Message(clientlink::CODE_FLIGHT_PATH, 1);
  std::memcpy(message.payload, &path, sizeof path);
  return message;
}

class BridgeClock : public ::testing::Test {
 protected:
  FakeOutputs out;
  Bridge bridge{out, 5.0};
};

TEST_F(BridgeClock, AShotWaitsForItsFlightPathButNotLongerThan200Ms) {
  bridge.OnConnected(0.0);
  bridge.OnSensorMessage(ShotMessageOf(50.0f), 1.0);
  bridge.Tick(1.19);
  EXPECT_EQ(out.sent.size(), 1u);  // the connect status only
  bridge.OnSensorMessage(PathOf(182.88f), 1.19);
  ASSERT_EQ(out.sent.size(), 2u);
  EXPECT_NEAR(out.sent[1]["BallData"]["CarryDistance"].get<double>(), 200.0, 0.01);

  bridge.OnSensorMessage(ShotMessageOf(40.0f), 2.0);
  EXPECT_NEAR(bridge.SecondsUntilDue(2.0), 0.2, 1e-9);
  bridge.Tick(2.2);
  ASSERT_EQ(out.sent.size(), 3u);
  EXPECT_FALSE(out.sent[2]["BallData"].contains("CarryDistance"));
  // Its path came too late for it: said, and not taken for anything else.
  bridge.OnSensorMessage(PathOf(100.0f), 2.3);
  EXPECT_EQ(out.sent.size(), 3u);
  ASSERT_EQ(out.warned.size(), 1u);
  EXPECT_NE(out.warned[0].find("more than 200 ms after its shot"), std::string::npos);
}

TEST_F(BridgeClock, APuttGoesAtOnceAndANewShotPushesOutTheOneWaiting) {
  bridge.OnConnected(0.0);
  bridge.OnSensorMessage(ShotMessageOf(2.0f, kPutterClubType), 1.0);
  bridge.OnSensorMessage(ShotMessageOf(50.0f), 2.0);
  bridge.OnSensorMessage(ShotMessageOf(45.0f), 2.05);
  EXPECT_EQ(out.Flow(), (std::vector<std::string>{"not ready", "shot 1", "shot 2"}));
  EXPECT_EQ(out.sent[1]["BallData"]["BackSpin"], 0.0);
  EXPECT_EQ(out.sent[2]["BallData"]["BackSpin"], 2500.0);
}

TEST_F(BridgeClock, ReadinessChangesWhileAShotWaitsFollowItInOrder) {
  bridge.OnConnected(0.0);
  bridge.OnSensorMessage(Message(clientlink::CODE_BALL_READY, 1), 0.5);
  bridge.OnSensorMessage(Message(clientlink::CODE_BALL_READY, 1), 0.6);  // no change, no message
  bridge.OnSensorMessage(ShotMessageOf(50.0f), 1.0);
  bridge.OnSensorMessage(Message(clientlink::CODE_BALL_NOT_READY), 1.05);
  bridge.OnSensorMessage(Message(clientlink::CODE_BALL_READY, 1), 1.10);
  bridge.OnSensorMessage(PathOf(150.0f), 1.15);
  EXPECT_EQ(out.Flow(),
            (std::vector<std::string>{"not ready", "ready", "shot 1", "not ready", "ready"}));
  // The shot tells the readiness it came in.
  EXPECT_EQ(out.sent[2]["ShotDataOptions"]["LaunchMonitorIsReady"], true);
}

TEST_F(BridgeClock, HeartbeatsComeAfterSilenceOnlyWhileConnected) {
  bridge.OnConnected(0.0);
  bridge.Tick(4.9);
  bridge.Tick(5.0);
  bridge.Tick(7.0);
  bridge.Tick(10.0);
  EXPECT_EQ(out.Flow(), (std::vector<std::string>{"not ready", "heartbeat", "heartbeat"}));
  out.connected = false;
  bridge.Tick(20.0);
  EXPECT_EQ(out.sent.size(), 3u);

  FakeOutputs quiet;
  Bridge never(quiet, 0.0);
  never.OnConnected(0.0);
  never.Tick(1000.0);
  EXPECT_EQ(quiet.sent.size(), 1u);
}

TEST_F(BridgeClock, TheHistoryKeepsEveryShotWithItsFate) {
  bridge.OnConnected(0.0);
  bridge.OnSensorMessage(ShotMessageOf(50.0f), 1.0);
  bridge.OnSensorMessage(PathOf(150.0f), 1.0);
  bridge.OnAnswer(ReadAnswer(R"({"Code":200})"), 1.1);
  bridge.OnSensorMessage(ShotMessageOf(51.0f), 2.0);
  bridge.OnSensorMessage(PathOf(150.0f), 2.0);
  bridge.Tick(4.0);                                    // no answer within 2 s
  bridge.OnSensorMessage(ShotMessageOf(500.0f), 5.0);  // 1118 mph: garbage
  auto noBlock = ShotMessageOf(50.0f);
  noBlock.hasPayload = false;
  bridge.OnSensorMessage(noBlock, 5.5);
  out.connected = false;
  bridge.OnSensorMessage(ShotMessageOf(52.0f), 6.0);
  bridge.OnSensorMessage(PathOf(150.0f), 6.0);
  out.connected = true;
  bridge.OnSensorMessage(ShotMessageOf(53.0f), 7.0);
  bridge.Finish(7.05);  // the run ends before its flight path came

  ASSERT_EQ(out.history.size(), 6u);
  const char* outcomes[] = {"received",
                            "no answer",
                            "not sent: speed 1118.5 mph is above 250 mph",
                            "not sent: no shared block",
                            "not sent: no simulator connected",
                            "no answer: the bridge ended"};
  const int numbers[] = {1, 2, -1, -1, 3, 4};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(out.history[i]["outcome"], outcomes[i]) << i;
    EXPECT_EQ(out.history[i]["shotNumber"].is_null() ? -1 : out.history[i]["shotNumber"].get<int>(),
              numbers[i])
        << i;
    EXPECT_EQ(out.history[i]["received"], "2026-12-11 10:00:00.000");
  }
  EXPECT_EQ(out.history[0]["answer"]["Code"], 200);
  EXPECT_EQ(out.history[0]["sent"]["ShotNumber"], 1);
  EXPECT_NEAR(out.history[2]["sensor"]["speed"].get<double>(), 500.0, 1e-9);
  EXPECT_TRUE(out.history[2]["sent"].is_null());
  // Never sent later: the shot missed while down is not among those sent.
  EXPECT_EQ(out.Flow(), (std::vector<std::string>{"not ready", "shot 1", "shot 2", "shot 4"}));
}

TEST_F(BridgeClock, TheSameClubTwiceIsSelectedOnceAndAnUnknownClubNotAtAll) {
  for (const char* club : {"DR", "DR", "XYZ", "PT", "DR"}) {
    bridge.OnAnswer(
        ReadAnswer(std::string(R"({"Code":201,"Player":{"Handed":"RH","Club":")") + club + "\"}}"),
        1.0);
  }
  EXPECT_EQ(out.clubs, (std::vector<int>{0, 12, 0}));
  EXPECT_EQ(out.told.front(), "player right-handed, club DR -> the sensor's club 0");
  ASSERT_EQ(out.warned.size(), 1u);
  EXPECT_NE(out.warned[0].find("\"XYZ\" is not one the sensor knows"), std::string::npos);
}

}  // namespace
