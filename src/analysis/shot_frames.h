// Reading the shot's frames from the camera: right after the trigger, before anything is written,
// so the camera's queue never overflows while the ball is in flight.
#pragma once

#include <cstdint>

#include "analysis/run_step.h"

class CMainCamera;
struct ShotRun;

// One frame read as the analysis reads it, waiting (2 x exposure + 500) x 10 ms for it; 0 is
// success.
int32_t ReadAnalysisFrame(CMainCamera& camera, uint8_t* buffer);

// A frame read only to keep pace with the camera, into the spare frame.
int32_t ReadAndDropFrame(CMainCamera& camera);

// Frames 1 .. N-1 into the shot frame store (the putter drops every other camera frame), then the
// trigger frame into slot 0. A failed read runs the camera error procedure and ends the run.
Step ReadShotFrames(ShotRun& run);
