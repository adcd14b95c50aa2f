// Re-analysis of a recorded shot in this process: two camera objects with the settings to try
// take what the record holds of the moment of the strike (the resting ball, the areas, the club,
// the frame rate, the window's place, the brightness and the frames before the trigger) and run
// the sensor's own analysis on the recorded shot frames, both cameras at once as on their capture
// threads. Nothing reaches a golf client: this process has no shared block.
#pragma once

#include "reanalysis_run.h"
#include "shot_record.h"

namespace shots {

// The recorded pair must be readable with their shot.ini and frames of the cameras' size. The
// analysis's lines go to analysis.log in the run's installation.
RunResult AnalyseRecordedShot(const ShotRecord& main, const ShotRecord& side,
                              const RunOptions& options);

}  // namespace shots
