// The messages the bridge sends the simulator, one JSON object each: a shot with its ball data,
// and the launch monitor's status (on connect, on a change of readiness, as a heartbeat).
#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "clientlink/block_records.h"
#include "clientlink/shot_result_record.h"

namespace openconnect {

inline constexpr double kMphPerMetrePerSecond = 2.23694;
inline constexpr double kMetresPerYard = 0.9144;
// Above this no golf ball has been struck; a record that says so is garbage.
inline constexpr double kFastestShotMph = 250.0;
inline constexpr int32_t kPutterClubType = 2;

struct LaunchMonitorState {
  bool ready = false;
  bool ballDetected = false;
};

// Why the record cannot be a shot (a NaN, a speed above 250 mph, an angle outside ±90°), or
// empty when it can.
std::string ShotRefusal(const ShotResultRecord& shot);

// The distance in yards from the ball to where the flight path ends; none for an empty path or
// one with a point that is no number.
std::optional<double> CarryYards(const clientlink::FlightPathRecord& path, int64_t points);

// The shot's ball data in the simulator's units: mph, degrees, rpm, yards. A putt has no spin.
nlohmann::ordered_json BallData(const ShotResultRecord& shot, std::optional<double> carryYards);

nlohmann::ordered_json ShotMessage(int shotNumber, const nlohmann::ordered_json& ballData,
                                   LaunchMonitorState state);

// No ball data; shotNumber is the last shot's (0 before the first).
nlohmann::ordered_json StatusMessage(int shotNumber, LaunchMonitorState state, bool heartbeat);

// The sensor's record as it came, for the history.
nlohmann::ordered_json SensorShot(const ShotResultRecord& shot);

}  // namespace openconnect
