// The report for programs: one JSON object with every shot and swing (its truth, its first
// delivery as "measured" or null, the number of deliveries), the errors per quantity and "ok".
#pragma once

#include <optional>
#include <string>

#include "error_summary.h"
#include "shot_join.h"

namespace accuracy {

// `ok` is the run's verdict; runDir, when given, says where the run's files were kept.
std::string FormatJson(const JoinResult& join, const Summary& summary, bool ok,
                       const std::optional<std::string>& runDir);

}  // namespace accuracy
