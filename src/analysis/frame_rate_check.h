// The analysis refuses shots the capture measured at a frame rate below the one its speed rule
// assumes, and reports the camera as faulty after the third refusal.
#pragma once

#include "analysis/run_step.h"

struct ShotRun;

// Refusals for a low frame rate after which the camera counts as faulty.
inline constexpr int kLowFpsRefusals = 3;

// Goes on when the measured rate is 0 (not measured yet) or at least the table's lowest rate;
// else ends the run as no shot, or as -1000 on the third refusal since the last -1000. Nothing
// else resets the count: a good shot in between does not.
Step CheckFrameRate(ShotRun& run);
