// The shot's speed from the per-frame speeds of the track, and the horizontal angle referred to
// the installation's zero direction.
#pragma once

#include "analysis/run_step.h"

struct ShotRun;

// Sets the camera's m_speed (1000 when the track is too short), m_VAngle 0 and the zero-corrected
// m_HAngle. Ends the run when the two values it settles on are a frame gap apart.
Step SelectSpeed(ShotRun& run);
