// The report for people: one row per shot and swing with truth beside measurement, then the
// errors per quantity and whether the session was delivered as played.
#pragma once

#include <string>

#include "error_summary.h"
#include "shot_join.h"

namespace accuracy {

std::string FormatTable(const JoinResult& join, const Summary& summary);

}  // namespace accuracy
