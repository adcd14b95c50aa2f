// The simulated truth: the cameras append one JSON line per shot and per swing to
// "sim_truth.jsonl" when they render its first frame.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "json_fields.h"

namespace accuracy {

inline constexpr const char* kTruthFile = "sim_truth.jsonl";

struct TruthEvent {
  double t = 0;
  bool shot = false;  // else a swing, which has no ball data
  std::string area;
  std::string hand;
  double speed = kNoValue;  // m/s
  double hla = kNoValue;    // degrees
  double vla = kNoValue;
  double backspin = kNoValue;  // rpm
  double sidespin = kNoValue;
  double path = kNoValue;       // club path in degrees, positive in-to-out
  bool logged = true;           // false: the script plays it, but the cameras never got there
  nlohmann::ordered_json line;  // the fields as read, for the JSON report

  bool IsPutt() const { return area == "putt"; }
};

// Every complete line (ended by a line feed) that is a truth object, in file order. A line still
// being written is left for the next read; one that does not parse is skipped, both now and then.
std::vector<TruthEvent> ParseTruthLines(const std::string& text);

}  // namespace accuracy
