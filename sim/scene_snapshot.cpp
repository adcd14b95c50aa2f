#include "scene_snapshot.h"

#include <cmath>

namespace sim {
namespace {

// The club of a strike tau seconds from its impact, and a struck ball in flight.
void AddStrikeMotion(const SessionEvent& e, double tau, SceneSnapshot& out) {
  const bool shot = e.kind == EventKind::kShot;
  if (out.club_count < SceneSnapshot::kMaxClubs &&
      ClubPoseAt(e.strike, shot, e.spot, e.rest, tau, out.clubs[out.club_count])) {
    ++out.club_count;
  }
  if (shot && tau >= 0 && tau < kStruckBallLifeS && out.ball_count < SceneSnapshot::kMaxBalls) {
    out.balls[out.ball_count++] = BallCentreAfterImpact(e.strike, e.rest, tau);
  }
}

bool IsStrike(const SessionEvent& e) {
  return e.kind == EventKind::kShot || e.kind == EventKind::kSwing;
}

}  // namespace

void SceneAt(const SessionPlan& plan, double t, SceneSnapshot& out) {
  out.ball_count = 0;
  out.club_count = 0;
  out.light = 1.0;
  // A looping session plays round after round of end_t seconds, each from an empty mat and the
  // room's own light.
  const double period = plan.end_t;
  const bool loop = plan.loop && period > 0;
  double round = 0;
  double local = t;
  if (loop && t >= period) {
    round = std::floor(t / period);
    local = t - round * period;
    if (local < 0) local = 0;  // rounding at the wrap
  }
  std::array<bool, kSpotCount> resting{};
  std::array<Vec3, kSpotCount> rest{};
  for (const SessionEvent& e : plan.events) {
    const double tau = local - e.t;
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
      case EventKind::kSwing:
        AddStrikeMotion(e, tau, out);
        if (e.kind == EventKind::kShot && tau >= 0) resting[spot] = false;
        break;
      case EventKind::kLight:
        if (tau >= 0) out.light = e.value;
        break;
      default:
        break;
    }
  }
  if (loop) {
    // A ball still flying from the round before, a club swinging into the next round's first
    // strike: rounds last at least kMinLoopSeconds, so nothing moves further than that.
    for (const SessionEvent& e : plan.events) {
      if (!IsStrike(e)) continue;
      if (round > 0) AddStrikeMotion(e, local + period - e.t, out);
      AddStrikeMotion(e, local - period - e.t, out);
    }
  }
  for (int i = 0; i < kSpotCount; ++i) {
    if (resting[i] && out.ball_count < SceneSnapshot::kMaxBalls)
      out.balls[out.ball_count++] = rest[i];
  }
}

}  // namespace sim
