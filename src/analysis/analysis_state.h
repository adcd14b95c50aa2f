// What a camera's shot analysis keeps between shots, beside the results it leaves for the console.
#pragma once

#include <cstdint>

class ShotFrameSource;

inline constexpr int kSpeedJitterCount = 16;

// Handedness as the ball track decides it.
enum Handedness : int32_t {
  HAND_UNDECIDED = -1,
  HAND_LEFT = 0,
  HAND_RIGHT = 1,
};

// When the stages of the latest run ended, in microseconds of the monotonic clock, and how long
// its file writes took: what the latency figures of a bay are made of.
struct RunTimings {
  int64_t startUs = 0;
  int64_t framesReadUs = 0;   // the shot's frames are in memory
  int64_t measuredUs = 0;     // track and speed selection done
  int64_t sideArrivedUs = 0;  // the side camera's values taken (or the wait given up)
  int64_t deliveredUs = 0;    // the client has the shot record
  int64_t finishedUs = 0;
  int64_t writeUs = 0;                // all file writes of the run
  int64_t writeBeforeDeliveryUs = 0;  // of them, before the record went out
};

struct AnalysisState {
  // Refusals for a low frame rate since the camera object was built or since the last -1000.
  int32_t lowFpsCount = 0;
  // Small offsets added to every delivered speed, taken in turn; the index survives shots.
  float speedJitter[kSpeedJitterCount] = {0.25f, 0.09f, 0.31f, 0.22f, 0.15f, 0.17f, 0.34f, 0.02f,
                                          0.26f, 0.06f, 0.37f, 0.19f, 0.12f, 0.28f, 0.04f, 0.33f};
  int32_t speedJitterIndex = 0;
  // The handedness the latest run's track decided.
  int32_t handedness = HAND_UNDECIDED;
  RunTimings lastRun;
  // Set only to analyse recorded frames again; the camera's runs read the camera.
  ShotFrameSource* frameSource = nullptr;
};
