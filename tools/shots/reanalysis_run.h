// What a re-analysis of one recorded shot is given and what it leaves, whichever way it runs:
// the analysis again on the recorded frames in this process, or the whole sensor on simulated
// cameras that replay them.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shot_record.h"

namespace shots {

struct RunOptions {
  std::filesystem::path settings;  // setting_top.ini, setting_top_side.ini, vangle_adj.ini, data.bi
  std::string headless;            // the sensor program, for a replay
  std::filesystem::path keep;      // empty: the run's installation goes when the run ends
  double timeoutSeconds = 120;
};

struct RunResult {
  bool ran = false;
  std::string error;                     // why it could not run
  std::optional<ShotRecord> main, side;  // the records the run left, if any
  std::vector<std::string> notes;        // what the run was given beyond the settings
};

}  // namespace shots
