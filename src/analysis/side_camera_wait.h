// The main camera's wait for the side camera's result of the same shot.
#pragma once

#include "analysis/run_step.h"

struct ShotRun;

// Main camera with a peer: polls the hand-over slot once per camera frame (the frames are read and
// dropped, so the camera's queue stays drained) for up to half a frame unit of passes. A
// right-handed putt is the side camera's to report and ends this run.
Step WaitForSideCamera(ShotRun& run);
