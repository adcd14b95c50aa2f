// The side spin a struck ball carries, from where the club face pointed against where the club
// travelled. A ball starts mostly along the face and curves away from the path: a face open to
// the path (pointing right of it) tilts the spin axis so the ball curves right, a positive side
// spin; closed, left. Scripts that give no side spin get this one, so a script's club path and
// launch direction never contradict its spin.
#pragma once

#include "session_plan.h"
#include "strike_motion.h"

namespace sim {

// Degrees of spin-axis tilt per degree of face against path, and the share of the launch direction
// the path decides (the rest is the face's): a driver's low loft lets the path count less.
struct ImpactModel {
  double axis_per_face_to_path;
  double path_share;
};
ImpactModel ImpactModelFor(ClubKind club);

// Face to path in degrees in the picture's frame (positive: face right of path).
double FaceToPath(const StrikeParams& s, ClubKind club);
// Side spin in rpm: the back spin turned by the axis tilt.
double SideSpinOf(const StrikeParams& s, ClubKind club);

}  // namespace sim
