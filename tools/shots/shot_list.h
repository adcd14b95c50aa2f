// The rows of "kestrix-shots list": a plain table for people, CSV and JSON for other programs.
#pragma once

#include <string>
#include <vector>

#include "shot_record.h"

namespace shots {

std::string ListTable(const std::vector<ShotRecord>& records);
std::string ListCsv(const std::vector<ShotRecord>& records);
std::string ListJson(const std::vector<ShotRecord>& records);

}  // namespace shots
