// Loads the frames of one recorded shot directory (the headerless frame dumps of a shot record)
// for a replay session.
#pragma once

#include <string>

#include "camera_rig.h"
#include "frame_clock.h"
#include "session_plan.h"

namespace sim {

// Copies of the background played before the shot, enough for the watch to classify the ball,
// centre the window and declare it ready.
inline constexpr int kReplayLeadFrames = 1200;

// The largest recorded frame a replay takes: a square as tall as the sensor, the largest window
// the camera can show it in.
inline constexpr int kMaxReplaySide = kSensorHeight;

// Reads image_prev_c.bmp (the background) and the frames that follow it. False with a reason
// naming the file when one is missing, cannot be looked at or read, or is not the dump of a frame
// of the background's square size (at most kMaxReplaySide); never throws.
bool LoadReplayClip(const std::string& dir, ReplayClip& clip, std::string& error);

// The recorded frame shown at frame k of the replay (k < 0: the background).
const std::vector<uint8_t>& ReplayFrame(const ReplayClip& clip, int64_t k);

// When the plan replays at frame n (simulated time t) of the camera, writes that recorded frame
// into the width x height window (top-left part, the rest black) and returns true.
bool PlayReplay(const SessionPlan& plan, CameraRole role, const FrameClock& clock, int64_t n,
                double t, uint8_t* out, int width, int height);

}  // namespace sim
