// Re-analysis of a recorded shot: the sensor itself (kestrix-headless) on the simulated cameras,
// which replay the shot's two directories, free-running, in a scratch installation that has the
// settings to try. The replay shows the recorded frames wherever the capture window lies, so the
// ball rests where the centred window saw it; the scratch settings put the recorded club's area
// (and only it) there, so the watch decides the recorded club again.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shot_record.h"

namespace shots {

struct ReplayOptions {
  std::filesystem::path settings;  // setting_top.ini, setting_top_side.ini, vangle_adj.ini, data.bi
  std::string headless;            // the sensor program
  std::filesystem::path keep;      // empty: the scratch installation goes when the run ends
  double timeoutSeconds = 120;
};

struct ReplayResult {
  bool ran = false;
  std::string error;                     // why it could not run
  std::optional<ShotRecord> main, side;  // the records the sensor left, if any
  double replayFps = 0;
  std::vector<std::string> notes;  // what the scratch installation was given beyond the settings
};

// The recorded pair must be readable with their shot.ini; the sensor is closed once both
// cameras' records have their final names (or the time ran out).
ReplayResult ReplayShot(const ShotRecord& main, const ShotRecord& side,
                        const ReplayOptions& options);

}  // namespace shots
