// Which delivery belongs to which shot. The cameras log a shot's truth when they render its first
// frame, always before the sensor can deliver it, and the events of a script are seconds apart:
// so a shot result (7101) belongs to the latest truth line there was when it arrived, and the next
// flight path (7114) belongs to that result.
#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "client_lines.h"
#include "json_fields.h"
#include "script_outline.h"
#include "truth_lines.h"

namespace accuracy {

// One client line, with the number of truth lines logged when the tool read it.
struct Arrival {
  ClientMessage message;
  size_t truthLines = 0;
};

// A shot result and the flight path that came with it.
struct Measured {
  nlohmann::ordered_json result;  // the 7101 fields
  nlohmann::ordered_json path;    // the 7114 fields; null when none came

  double speed() const { return NumberField(result, "speed"); }
  double hla() const { return NumberField(result, "hAngle"); }
  double vla() const { return NumberField(result, "vAngle"); }
  double backspin() const { return NumberField(result, "backSpin"); }
  double sidespin() const { return NumberField(result, "sideSpin"); }
  double pathClass() const { return NumberField(result, "pathClass"); }
  double points() const { return NumberField(path, "points"); }
  double carry() const { return NumberField(path, "carry"); }
  bool hasPath() const { return path.is_object(); }
};

struct JoinedEvent {
  TruthEvent truth;
  std::vector<Measured> deliveries;  // in arrival order; the first one is measured against truth
};

struct JoinResult {
  std::vector<JoinedEvent> events;     // one per truth line, then the script's unreached strikes
  std::vector<Measured> unattributed;  // results that came before any truth line
};

// The script's strikes past the last truth line become events that were never logged, so a
// session cut short still shows every shot it should have delivered.
JoinResult JoinDeliveries(const std::vector<TruthEvent>& truth,
                          const std::vector<ScriptStrike>& script,
                          const std::vector<Arrival>& arrivals);

// What is wrong with an event's deliveries: "" when nothing, else "not delivered", "delivered
// twice" (or "delivered N times") or "swing delivered as a shot".
std::string DeliveryMark(const JoinedEvent& event);

// True when every shot was delivered exactly once and nothing else was delivered.
bool DeliveredAsPlayed(const JoinResult& join);

}  // namespace accuracy
