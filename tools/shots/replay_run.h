// Re-analysis of a recorded shot: the sensor itself (kestrix-headless) on the simulated cameras,
// which replay the shot's two directories, free-running, in a scratch installation that has the
// settings to try. The replay shows the recorded frames wherever the capture window lies, so the
// ball rests where the centred window saw it; the scratch settings put the recorded club's area
// (and only it) there, so the watch decides the recorded club again.
#pragma once

#include "reanalysis_run.h"
#include "shot_record.h"

namespace shots {

// The recorded pair must be readable with their shot.ini; the sensor is closed once both
// cameras' records have their final names (or the time ran out).
RunResult ReplayShot(const ShotRecord& main, const ShotRecord& side, const RunOptions& options);

}  // namespace shots
