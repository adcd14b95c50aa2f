// A parsed session script: the frame rate, which cameras are connected, and the timed events
// (ball placements, shots, swings, light changes, faults, cameras plugged in) that the scene and
// the cameras play.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "camera_rig.h"
#include "scene_layout.h"
#include "vec3.h"

namespace sim {

// Default frame rate: the sensor's speed rule counts a fixed 2 ms from frame to frame.
inline constexpr double kDefaultFps = 500.0;
// The bounds of a script's numbers, so that every frame number and clock conversion stays far
// inside int64: a rate a high-speed camera can run (frames per second), and times and durations
// within a week (seconds).
inline constexpr double kMaxFps = 10000.0;
inline constexpr double kMaxScriptSeconds = 7 * 24 * 3600.0;

enum class EventKind {
  kPlace,
  kRemove,
  kShot,
  kSwing,
  kLight,
  kFailRead,
  kDisconnect,
  kSlow,
  kConnect
};

// The shortest round a looping session may have: a struck ball and a swinging club then reach
// no further than into the rounds either side.
inline constexpr double kMinLoopSeconds = 1.0;

// How the club looks under the lamps: dark (graphite shaft, dark head, never as bright as a ball)
// or chrome (a steel shaft and a polished head that catch the lamps, as at most real bays).
enum class ClubFinish { kDark, kChrome };

struct StrikeParams {
  double speed = 0;  // ball speed (m/s) of a shot; club head speed of a swing (0 = typical)
  double hla = 0;    // degrees, positive to the right
  double vla = 0;    // degrees up; 0 rolls along the mat
  double backspin = 0;
  double sidespin = 0;
  double path = 0;  // club path in degrees, positive in-to-out
  bool right_hand = true;
  ClubFinish club = ClubFinish::kDark;
};

struct SessionEvent {
  double t = 0;
  EventKind kind = EventKind::kPlace;
  Spot spot = Spot::kTee;  // place, remove (with has_spot), shot, swing
  bool has_spot = false;   // remove: one spot rather than all balls
  Vec3 rest;               // place: ball centre; shot and swing: the ball struck or passed over
  StrikeParams strike;     // shot, swing
  double value = 0;        // light factor, fail duration, slow frame rate
  double duration = 0;     // slow: seconds, 0 = to the end
  CameraRole camera = CameraRole::kMain;  // faults, connect
};

// Recorded frames of one camera for a replay: background first, then the shot frames.
struct ReplayClip {
  int width = 0;
  int height = 0;
  std::vector<std::vector<uint8_t>> frames;  // [0] = background (the ball at rest)
};

struct SessionPlan {
  bool free_run = false;
  // Free-run only: the scene waits at its start until both cameras stream, so a sensor that opens
  // its cameras one after the other sees the same session on both.
  bool start_together = false;
  double fps = kDefaultFps;
  int camera_count = 2;  // connected from the start; "connect" events plug in the others
  bool swapped = false;
  uint32_t seed = 1;
  double end_t = 0;  // length of the session for the tools; 0 = not given
  // Paced only: at end_t the scene starts over on an empty mat and plays its events again.
  bool loop = false;
  std::vector<SessionEvent> events;  // in time order
  bool has_replay = false;
  double replay_t = 0;
  ReplayClip replay[2];  // by CameraRole
};

// Parses a script. On error returns false with "line N: reason" in error.
bool ParseSessionScript(const std::string& text, SessionPlan& plan, std::string& error);

// The plan of a bay with no script: two cameras, an empty mat, paced 500 frames per second.
SessionPlan IdleBayPlan();

}  // namespace sim
