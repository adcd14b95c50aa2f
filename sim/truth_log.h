// The ground truth of every shot and swing, one JSON line each in "sim_truth.jsonl".
#pragma once

#include <string>

#include "session_plan.h"

namespace sim {

inline constexpr const char* kTruthFile = "sim_truth.jsonl";

// {"t":2.0,"kind":"shot","area":"iron","hand":"right","speed":45.0,...,"club":"dark"} without a
// line end.
std::string TruthLine(const SessionEvent& e);

// Appends the line and a line feed to the truth file of the current directory.
void AppendTruth(const std::string& line);

}  // namespace sim
