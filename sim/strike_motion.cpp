#include "strike_motion.h"

#include <cmath>

namespace sim {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravityMmS2 = 9810.0;
constexpr double kRollDecelMmS2 = 650.0;  // a putt on a mat loses about 0.65 m/s each second

struct ClubShape {
  double smash;                // ball speed / head speed
  double practice_head_speed;  // m/s of a practice swing (a swing without a shot)
  double arc_radius;           // mm, the head's path round the player
  double hands_in;             // mm from the head towards the player
  double hands_z;              // mm above the mat
  double half_face;            // mm, half the head along the face
  double half_depth;           // mm, half the head along its travel
  double top_z;                // mm, height of the head's top
  double release_roll_deg;     // how far a practice swing has rolled the toe ahead at the ball
  float tone;
};

const ClubShape& Shape(ClubKind kind) {
  static const ClubShape kDriver{1.45, 30.0, 1150.0, 620.0, 760.0, 58.0, 50.0, 60.0, 40.0, 70.0f};
  static const ClubShape kIron{1.30, 26.0, 1100.0, 560.0, 720.0, 38.0, 14.0, 25.0, 40.0, 100.0f};
  static const ClubShape kPutter{1.70, 1.8, 2600.0, 380.0, 820.0, 52.0, 16.0, 25.0, 0.0, 92.0f};
  return kind == ClubKind::kDriver ? kDriver : kind == ClubKind::kIron ? kIron : kPutter;
}

// Rolling the blade turns its back up: seen from above the head grows this much deeper.
constexpr double kRolledBackMm = 8.0;
// A lamp mirrored in the polished back of a rolled blade: a ball-sized bright patch by the toe.
// Only a rolled blade turns its back up to the lamps; a blade soled square at impact does not.
constexpr double kGlintRadiusMm = 18.0;
constexpr double kGlintTowardToe = 0.65;  // of the half face

Vec3 Rotate(Vec3 v, double a) {
  const double c = std::cos(a), s = std::sin(a);
  return {v.x * c - v.y * s, v.x * s + v.y * c, v.z};
}

}  // namespace

Vec3 BallCentreAfterImpact(const StrikeParams& s, Vec3 rest, double tau) {
  const double v = s.speed * 1000.0;  // mm/s
  const double h = s.hla * kPi / 180.0;
  if (s.vla <= 0.0) {
    const double stop = v / kRollDecelMmS2;
    const double t = tau < stop ? tau : stop;
    const double d = v * t - 0.5 * kRollDecelMmS2 * t * t;
    return {rest.x + d * std::sin(h), rest.y + d * std::cos(h), rest.z};
  }
  const double e = s.vla * kPi / 180.0;
  const double ground = v * std::cos(e) * tau;
  double z = rest.z + v * std::sin(e) * tau - 0.5 * kGravityMmS2 * tau * tau;
  if (z < rest.z) z = rest.z;
  return {rest.x + ground * std::sin(h), rest.y + ground * std::cos(h), z};
}

ClubKind ClubFor(Spot spot) {
  if (spot == Spot::kTee) return ClubKind::kDriver;
  if (spot == Spot::kPutt) return ClubKind::kPutter;
  return ClubKind::kIron;
}

bool ClubPoseAt(const StrikeParams& s, bool is_shot, Spot spot, Vec3 rest, double tau,
                ClubPose& pose) {
  const ClubShape& c = Shape(ClubFor(spot));
  double head_speed = c.practice_head_speed;
  if (s.speed > 0) head_speed = is_shot ? s.speed / c.smash : s.speed;
  const double omega = head_speed * 1000.0 / c.arc_radius;  // rad/s
  const double angle = omega * tau;
  if (std::abs(angle) > 1.0 || std::abs(tau) > 0.5) return false;

  // Travel direction at impact; the player (the arc's centre) lies on the shaft side.
  const double side =
      s.right_hand ? 1.0 : -1.0;  // +1: player on the left, head turns anticlockwise
  const double p = s.path * kPi / 180.0;
  const Vec3 dir{side * std::sin(p), std::cos(p), 0.0};
  const Vec3 to_player{-dir.y * side, dir.x * side, 0.0};
  const Vec3 head0{rest.x - dir.x * (kBallRadiusMm + c.half_depth),
                   rest.y - dir.y * (kBallRadiusMm + c.half_depth), 0.0};
  const Vec3 centre = head0 + to_player * c.arc_radius;
  const double turn = side * angle;
  const Vec3 head = centre + Rotate(head0 - centre, turn);
  const Vec3 travel = Rotate(dir, turn);
  const Vec3 inward = Rotate(to_player, turn);

  // A practice swing releases early: the head passes just over the ball with its toe rolled
  // ahead and the back of the blade turned up to the lamps.
  const bool rolled = !is_shot && c.release_roll_deg > 0;
  const double roll = side * c.release_roll_deg * kPi / 180.0;
  const Vec3 face = rolled ? Rotate(inward, roll) : inward;  // towards the heel
  const Vec3 along = rolled ? Rotate(travel, roll) : travel;
  const double half_depth = rolled ? c.half_depth + kRolledBackMm : c.half_depth;
  const double top = is_shot ? c.top_z : c.top_z + 2.0 * kBallRadiusMm + 20.0;
  const Vec3 f = face * c.half_face, d = along * half_depth;
  const Vec3 up{0, 0, top};
  pose.head_corners[0] = head + f + d + up;
  pose.head_corners[1] = head - f + d + up;
  pose.head_corners[2] = head - f - d + up;
  pose.head_corners[3] = head + f - d + up;
  pose.hosel = head + face * c.half_face + Vec3{0, 0, top - 10.0};
  pose.hands = head + inward * c.hands_in + Vec3{0, 0, c.hands_z};
  pose.head_tone = c.tone;
  pose.shaft_tone = 106.0f;
  pose.head_top_z = top;
  pose.chrome = s.club == ClubFinish::kChrome;
  pose.glint_radius_mm = 0;
  if (rolled && pose.chrome) {
    pose.glint = head - face * (kGlintTowardToe * c.half_face) + up;
    pose.glint_radius_mm = kGlintRadiusMm;
  }
  return true;
}

}  // namespace sim
