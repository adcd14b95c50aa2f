// What the bridge makes of the sensor's records and of the simulator's answers.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "json_object_stream.h"
#include "shot_messages.h"
#include "simulator_answer.h"

namespace {

using namespace openconnect;

ShotResultRecord Shot(float speed, float hla, float vla, float back, float side, int club = 0) {
  ShotResultRecord shot;
  shot.m_clubType = club;
  shot.m_speed = speed;
  shot.m_HAngle = hla;
  shot.m_VAngle = vla;
  shot.m_backSpin = back;
  shot.m_sideSpin = side;
  return shot;
}

TEST(OpenConnectBallData, IsInMphDegreesAndRpmWithTheSpinAxisOfTheSideSpin) {
  const auto ball = BallData(Shot(60.0f, -2.5f, 11.0f, 3000.0f, -400.0f), 240.456);
  EXPECT_NEAR(ball["Speed"].get<double>(), 134.22, 1e-9);  // 60 × 2.23694
  EXPECT_EQ(ball["HLA"].get<double>(), -2.5);
  EXPECT_EQ(ball["VLA"].get<double>(), 11.0);
  EXPECT_EQ(ball["BackSpin"].get<double>(), 3000.0);
  EXPECT_EQ(ball["SideSpin"].get<double>(), -400.0);
  EXPECT_NEAR(ball["TotalSpin"].get<double>(), 3026.55, 1e-9);
  EXPECT_NEAR(ball["SpinAxis"].get<double>(), -7.59, 1e-9);  // draw: tilted left
  EXPECT_NEAR(ball["CarryDistance"].get<double>(), 240.46, 1e-9);
  // Numbers, not strings, and in the order a simulator's documentation lists them.
  EXPECT_EQ(ball.dump(),
            R"({"Speed":134.22,"SpinAxis":-7.59,"TotalSpin":3026.55,"BackSpin":3000.0,)"
            R"("SideSpin":-400.0,"HLA":-2.5,"VLA":11.0,"CarryDistance":240.46})");
}

TEST(OpenConnectBallData, APuttHasNoSpinAndAShotWithoutPathNoCarry) {
  const auto putt = BallData(Shot(2.0f, 0.5f, 1.0f, 200.0f, 50.0f, kPutterClubType), std::nullopt);
  EXPECT_EQ(putt["BackSpin"].get<double>(), 0.0);
  EXPECT_EQ(putt["SideSpin"].get<double>(), 0.0);
  EXPECT_EQ(putt["TotalSpin"].get<double>(), 0.0);
  EXPECT_EQ(putt["SpinAxis"].get<double>(), 0.0);
  EXPECT_FALSE(putt.contains("CarryDistance"));
}

TEST(OpenConnectBallData, RecordsThatCannotBeShotsAreRefusedWithTheReason) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const struct {
    ShotResultRecord shot;
    std::string reason;  // empty: a shot
  } cases[] = {
      {Shot(60, 2, 12, 3000, 400), ""},
      {Shot(111.7f, 90, -90, 0, 0), ""},  // 249.9 mph, steepest angles
      {Shot(111.8f, 0, 10, 0, 0), "speed 250.1 mph is above 250 mph"},
      {Shot(-1, 0, 10, 0, 0), "speed -2.2 mph is below 0"},
      {Shot(nan, 0, 10, 0, 0), "speed is not a number"},
      {Shot(50, 0, 10, inf, 0), "back spin is not a number"},
      {Shot(50, 0, 10, 0, nan), "side spin is not a number"},
      {Shot(50, 90.5f, 10, 0, 0), "horizontal angle 90.5 degrees is outside ±90"},
      {Shot(50, 0, -91, 0, 0), "vertical angle -91.0 degrees is outside ±90"},
      // The club notice is never sent to a client; should one come, it is no shot.
      {Shot(0, 1000, 1, 0, 0), "horizontal angle 1000.0 degrees is outside ±90"},
  };
  for (const auto& c : cases) EXPECT_EQ(ShotRefusal(c.shot), c.reason) << c.reason;
}

TEST(OpenConnectBallData, CarryIsTheGroundDistanceToThePathsEnd) {
  clientlink::FlightPathRecord path;
  path.m_points[9][0] = -30.0f;
  path.m_points[9][2] = 160.0f;
  EXPECT_NEAR(*CarryYards(path, 10), std::hypot(30.0, 160.0) / 0.9144, 1e-4);
  EXPECT_FALSE(CarryYards(path, 0));
  EXPECT_FALSE(CarryYards(path, -5));
  path.m_points[1499][2] = 91.44f;
  EXPECT_NEAR(*CarryYards(path, 40000), 100.0, 1e-4);  // a count past the path is the whole path
  path.m_points[9][0] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(CarryYards(path, 10));
}

TEST(OpenConnectMessages, StatusAndShotCarryTheEnvelopeAndTheReadiness) {
  const auto status = StatusMessage(4, {true, true}, true);
  EXPECT_EQ(status.dump(),
            R"({"DeviceID":"Kestrix","Units":"Yards","ShotNumber":4,"APIversion":"1",)"
            R"("ShotDataOptions":{"ContainsBallData":false,"ContainsClubData":false,)"
            R"("LaunchMonitorIsReady":true,"LaunchMonitorBallDetected":true,"IsHeartBeat":true}})");
  const auto shot = ShotMessage(5, {{"Speed", 100.0}}, {false, false});
  EXPECT_EQ(shot["ShotNumber"], 5);
  EXPECT_EQ(shot["BallData"]["Speed"], 100.0);
  EXPECT_EQ(shot["ShotDataOptions"]["ContainsBallData"], true);
  EXPECT_EQ(shot["ShotDataOptions"]["IsHeartBeat"], false);
  EXPECT_FALSE(shot.contains("ClubData"));
}

// Every object of the text, read through the stream in pieces of the given size.
std::vector<StreamPiece> ReadInPieces(const std::string& text, size_t piece) {
  JsonObjectStream stream;
  std::vector<StreamPiece> all;
  for (size_t at = 0; at < text.size(); at += piece) {
    for (StreamPiece& p : stream.Feed(text.data() + at, std::min(piece, text.size() - at))) {
      all.push_back(std::move(p));
    }
  }
  return all;
}

TEST(OpenConnectAnswerStream, ObjectsComeOutWholeHoweverTheReadsCutThem) {
  const std::string a = R"({"Code":200,"Message":"ok {not a brace} \"quoted\\\" }"})";
  const std::string b = R"({"Code":201,"Player":{"Club":"DR","Handed":"RH"},"List":[{},{}]})";
  const std::string text = a + "\r\n" + b + b;
  for (size_t piece : {size_t{1}, size_t{2}, size_t{7}, text.size()}) {
    const auto pieces = ReadInPieces(text, piece);
    ASSERT_EQ(pieces.size(), 3u) << piece;
    EXPECT_TRUE(pieces[0].object);
    EXPECT_EQ(pieces[0].text, a);
    EXPECT_EQ(pieces[1].text, b);
    EXPECT_EQ(pieces[2].text, b);
  }
}

TEST(OpenConnectAnswerStream, BytesBetweenObjectsAreToldOncePerRunAndResetDropsAPart) {
  const auto pieces = ReadInPieces("HTTP/1.1 400\r\n{\"Code\":200} ]]", 100);
  ASSERT_EQ(pieces.size(), 3u);
  EXPECT_FALSE(pieces[0].object);
  EXPECT_EQ(pieces[0].text, "14 bytes that are no JSON object: \"HTTP/1.1 400  \"");
  EXPECT_EQ(pieces[1].text, "{\"Code\":200}");
  EXPECT_EQ(pieces[2].text, "2 bytes that are no JSON object: \"]]\"");

  JsonObjectStream stream;
  EXPECT_TRUE(stream.Feed("{\"Code\":2", 9).empty());
  stream.Reset();
  const auto after = stream.Feed("00}{\"Code\":200}", 15);
  ASSERT_EQ(after.size(), 2u);
  EXPECT_FALSE(after[0].object);
  EXPECT_EQ(after[1].text, "{\"Code\":200}");
}

TEST(OpenConnectAnswerStream, AnEndlessObjectIsDroppedAndTheStreamGoesOn) {
  JsonObjectStream stream;
  const std::string open(JsonObjectStream::kLongestObject + 10, '[');
  std::string text = "{" + open;
  const auto pieces = stream.Feed(text.data(), text.size());
  // The drop, then the rest of it as bytes between objects.
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0].text, "an object longer than 1 MiB, dropped");
  EXPECT_EQ(pieces[1].text.substr(0, 36), "10 bytes that are no JSON object: \"[");
  const auto next = stream.Feed("{\"Code\":200}", 12);
  ASSERT_FALSE(next.empty());
  EXPECT_EQ(next.back().text, "{\"Code\":200}");
}

TEST(OpenConnectAnswers, CodesAndPlayerInformationAreRead) {
  const struct {
    std::string text;
    SimulatorAnswer::Kind kind;
    int code;
    std::string club, handed;
  } cases[] = {
      {R"({"Code":200,"Message":"Shot received successfully"})",
       SimulatorAnswer::Kind::kShotReceived, 200, "", ""},
      {R"({"Code":201,"Message":"GSPro Player Information","Player":{"Handed":"LH","Club":"I7"}})",
       SimulatorAnswer::Kind::kPlayer, 201, "I7", "LH"},
      {R"({"Code":201,"Player":"nobody"})", SimulatorAnswer::Kind::kPlayer, 201, "", ""},
      {R"({"Code":"501","Message":"bad"})", SimulatorAnswer::Kind::kRefused, 501, "", ""},
      {R"({"Code":503})", SimulatorAnswer::Kind::kRefused, 503, "", ""},
      {R"({"Code":202})", SimulatorAnswer::Kind::kOther, 202, "", ""},
      {R"({"Code":-200})", SimulatorAnswer::Kind::kUnreadable, 0, "", ""},
      {R"({"Code":2.5e300})", SimulatorAnswer::Kind::kUnreadable, 0, "", ""},
      {R"({"Message":"no code"})", SimulatorAnswer::Kind::kUnreadable, 0, "", ""},
      {R"({"Code":200)", SimulatorAnswer::Kind::kUnreadable, 0, "", ""},
      {R"([200])", SimulatorAnswer::Kind::kUnreadable, 0, "", ""},
  };
  for (const auto& c : cases) {
    const SimulatorAnswer answer = ReadAnswer(c.text);
    EXPECT_EQ(answer.kind, c.kind) << c.text;
    EXPECT_EQ(answer.code, c.code) << c.text;
    EXPECT_EQ(answer.club, c.club) << c.text;
    EXPECT_EQ(answer.handed, c.handed) << c.text;
    EXPECT_EQ(answer.problem.empty(), c.kind != SimulatorAnswer::Kind::kUnreadable) << c.text;
  }
}

TEST(OpenConnectAnswers, TheSimulatorsClubsBecomeTheSensorsClubCodes) {
  const struct {
    const char* club;
    int code;  // -1: not one the sensor knows
  } cases[] = {{"DR", 0},  {"dr", 0},  {"I1", 1},   {"I5", 5},  {"I9", 9}, {"PW", 10}, {"GW", 11},
               {"SW", 11}, {"LW", 11}, {"W3", 1},   {"3W", 1},  {"W5", 1}, {"H4", 1},  {"4H", 1},
               {"PT", 12}, {"I0", -1}, {"I10", -1}, {"XX", -1}, {"", -1},  {"W", -1}};
  for (const auto& c : cases) {
    const std::optional<int> code = ClubCodeFor(c.club);
    EXPECT_EQ(code.value_or(-1), c.code) << c.club;
  }
}

}  // namespace
