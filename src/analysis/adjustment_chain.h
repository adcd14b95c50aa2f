// The fixed corrections and the installation's adjustments that turn each camera's raw values into
// the delivered launch data, in their fixed order. The main camera merges the side camera's speed
// and angle here and derives the vertical angle; the side camera leaves its result for it.
#pragma once

#include "analysis/run_step.h"

struct ShotRun;

Step RunAdjustmentChain(ShotRun& run);

// The camera that delivers this shot to the client: the main camera, except for a right-handed
// putt, which the side camera sees best.
bool IsReportingCamera(const ShotRun& run);
