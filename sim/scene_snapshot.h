// What the scene holds at one instant: balls (resting or flying), clubs in play, the room light.
// Fixed capacity, so building one per frame allocates nothing.
#pragma once

#include <array>

#include "session_plan.h"
#include "strike_motion.h"

namespace sim {

// A struck ball stays in the scene this long, then it has left the bay.
inline constexpr double kStruckBallLifeS = 1.0;

struct SceneSnapshot {
  static constexpr int kMaxBalls = 16;
  static constexpr int kMaxClubs = 4;
  std::array<Vec3, kMaxBalls> balls{};
  int ball_count = 0;
  std::array<ClubPose, kMaxClubs> clubs{};
  int club_count = 0;
  double light = 1.0;
};

// The scene of the plan at simulated time t (seconds).
void SceneAt(const SessionPlan& plan, double t, SceneSnapshot& out);

}  // namespace sim
