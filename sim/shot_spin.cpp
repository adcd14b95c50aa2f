#include "shot_spin.h"

#include <cmath>

namespace sim {
namespace {
constexpr double kPi = 3.14159265358979323846;
}  // namespace

ImpactModel ImpactModelFor(ClubKind club) {
  return club == ClubKind::kDriver ? ImpactModel{2.0, 0.15} : ImpactModel{1.5, 0.25};
}

double FaceToPath(const StrikeParams& s, ClubKind club) {
  const ImpactModel m = ImpactModelFor(club);
  // The path is the player's: in-to-out travels right for a right-handed player, left for a
  // left-handed one.
  const double path = s.right_hand ? s.path : -s.path;
  return (s.hla - path) / (1.0 - m.path_share);
}

double SideSpinOf(const StrikeParams& s, ClubKind club) {
  if (club == ClubKind::kPutter) return 0.0;
  double tilt = ImpactModelFor(club).axis_per_face_to_path * FaceToPath(s, club);
  // A shank or a wild hook lays the axis over, but no further than on its side.
  constexpr double kMostTilt = 45.0;
  tilt = tilt > kMostTilt ? kMostTilt : (tilt < -kMostTilt ? -kMostTilt : tilt);
  return s.backspin * std::tan(tilt * kPi / 180.0);
}

}  // namespace sim
