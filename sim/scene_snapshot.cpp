#include "scene_snapshot.h"

namespace sim {

void SceneAt(const SessionPlan& plan, double t, SceneSnapshot& out) {
  out.ball_count = 0;
  out.club_count = 0;
  out.light = 1.0;
  std::array<bool, kSpotCount> resting{};
  std::array<Vec3, kSpotCount> rest{};
  auto add_ball = [&out](Vec3 c) {
    if (out.ball_count < SceneSnapshot::kMaxBalls) out.balls[out.ball_count++] = c;
  };
  for (const SessionEvent& e : plan.events) {
    const double tau = t - e.t;
    const int spot = static_cast<int>(e.spot);
    switch (e.kind) {
      case EventKind::kPlace:
        if (tau < 0) break;
        resting[spot] = true;
        rest[spot] = e.rest;
        break;
      case EventKind::kRemove:
        if (tau < 0) break;
        if (e.has_spot) {
          resting[spot] = false;
        } else {
          resting.fill(false);
        }
        break;
      case EventKind::kShot:
      case EventKind::kSwing: {
        const bool shot = e.kind == EventKind::kShot;
        if (out.club_count < SceneSnapshot::kMaxClubs &&
            ClubPoseAt(e.strike, shot, e.spot, e.rest, tau, out.clubs[out.club_count])) {
          ++out.club_count;
        }
        if (shot && tau >= 0) {
          resting[spot] = false;
          if (tau < kStruckBallLifeS) add_ball(BallCentreAfterImpact(e.strike, e.rest, tau));
        }
        break;
      }
      case EventKind::kLight:
        if (tau >= 0) out.light = e.value;
        break;
      default:
        break;
    }
  }
  for (int i = 0; i < kSpotCount; ++i) {
    if (resting[i]) add_ball(rest[i]);
  }
}

}  // namespace sim
