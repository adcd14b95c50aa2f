#include "shot_messages.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace openconnect {

namespace {

constexpr double kDegreesPerRadian = 57.29577951308232;
constexpr double kSteepestAngle = 90.0;

// Two decimals: finer than any launch monitor measures, and readable in the history.
double Rounded(double value) {
  return std::round(value * 100.0) / 100.0;
}

nlohmann::ordered_json Envelope(int shotNumber) {
  nlohmann::ordered_json message;
  message["DeviceID"] = "Kestrix";
  message["Units"] = "Yards";
  message["ShotNumber"] = shotNumber;
  message["APIversion"] = "1";
  return message;
}

nlohmann::ordered_json Options(bool containsBallData, LaunchMonitorState state, bool heartbeat) {
  return {{"ContainsBallData", containsBallData},
          {"ContainsClubData", false},
          {"LaunchMonitorIsReady", state.ready},
          {"LaunchMonitorBallDetected", state.ballDetected},
          {"IsHeartBeat", heartbeat}};
}

std::string Describe(const char* what, double value, const char* rule) {
  char text[160];
  std::snprintf(text, sizeof text, "%s %.1f %s", what, value, rule);
  return text;
}

}  // namespace

std::string ShotRefusal(const ShotResultRecord& shot) {
  const struct {
    const char* name;
    float value;
  } fields[] = {{"speed", shot.m_speed},
                {"horizontal angle", shot.m_HAngle},
                {"vertical angle", shot.m_VAngle},
                {"back spin", shot.m_backSpin},
                {"side spin", shot.m_sideSpin}};
  for (const auto& field : fields) {
    if (!std::isfinite(field.value)) return std::string(field.name) + " is not a number";
  }
  const double mph = shot.m_speed * kMphPerMetrePerSecond;
  if (mph > kFastestShotMph) return Describe("speed", mph, "mph is above 250 mph");
  if (mph < 0.0) return Describe("speed", mph, "mph is below 0");
  if (std::fabs(shot.m_HAngle) > kSteepestAngle) {
    return Describe("horizontal angle", shot.m_HAngle, "degrees is outside ±90");
  }
  if (std::fabs(shot.m_VAngle) > kSteepestAngle) {
    return Describe("vertical angle", shot.m_VAngle, "degrees is outside ±90");
  }
  return {};
}

std::optional<double> CarryYards(const clientlink::FlightPathRecord& path, int64_t points) {
  if (points <= 0) return std::nullopt;
  if (points > clientlink::kFlightPathPoints) points = clientlink::kFlightPathPoints;
  const float* end = path.m_points[points - 1];
  // Along the ground from the ball: the target line and the sideways offset together.
  const double metres = std::hypot(static_cast<double>(end[0]), static_cast<double>(end[2]));
  if (!std::isfinite(metres)) return std::nullopt;
  return metres / kMetresPerYard;
}

nlohmann::ordered_json BallData(const ShotResultRecord& shot, std::optional<double> carryYards) {
  const bool putt = shot.m_clubType == kPutterClubType;
  const double back = putt ? 0.0 : shot.m_backSpin;
  const double side = putt ? 0.0 : shot.m_sideSpin;
  nlohmann::ordered_json ball;
  ball["Speed"] = Rounded(shot.m_speed * kMphPerMetrePerSecond);
  ball["SpinAxis"] = Rounded(std::atan2(side, back) * kDegreesPerRadian);
  ball["TotalSpin"] = Rounded(std::hypot(back, side));
  ball["BackSpin"] = Rounded(back);
  ball["SideSpin"] = Rounded(side);
  ball["HLA"] = Rounded(shot.m_HAngle);
  ball["VLA"] = Rounded(shot.m_VAngle);
  if (carryYards) ball["CarryDistance"] = Rounded(*carryYards);
  return ball;
}

nlohmann::ordered_json ShotMessage(int shotNumber, const nlohmann::ordered_json& ballData,
                                   LaunchMonitorState state) {
  nlohmann::ordered_json message = Envelope(shotNumber);
  message["BallData"] = ballData;
  message["ShotDataOptions"] = Options(true, state, false);
  return message;
}

nlohmann::ordered_json StatusMessage(int shotNumber, LaunchMonitorState state, bool heartbeat) {
  nlohmann::ordered_json message = Envelope(shotNumber);
  message["ShotDataOptions"] = Options(false, state, heartbeat);
  return message;
}

nlohmann::ordered_json SensorShot(const ShotResultRecord& shot) {
  // A float's shortest decimal form, so the history shows 68.01 rather than 68.01000213623047;
  // a NaN in the record becomes null, which JSON can hold.
  const auto number = [](float value) {
    if (!std::isfinite(value)) return nlohmann::ordered_json();
    char text[32];
    const auto written = std::to_chars(text, text + sizeof text, value);
    return nlohmann::ordered_json(std::strtod(std::string(text, written.ptr).c_str(), nullptr));
  };
  return {{"clubCode", shot.m_clubCode},
          {"clubType", shot.m_clubType},
          {"pathClass", shot.m_pathClass},
          {"speed", number(shot.m_speed)},
          {"hAngle", number(shot.m_HAngle)},
          {"vAngle", number(shot.m_VAngle)},
          {"backSpin", number(shot.m_backSpin)},
          {"sideSpin", number(shot.m_sideSpin)},
          {"derivedSpeed", number(shot.m_derivedSpeed)}};
}

}  // namespace openconnect
