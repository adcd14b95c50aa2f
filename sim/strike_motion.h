// How a struck ball and the swinging club move in the world, as functions of the time since
// impact. A right-handed player stands on the left of the picture, so the shaft and hands lie to
// the left of the ball and the head sweeps in on an arc round the player.
#pragma once

#include "scene_layout.h"
#include "session_plan.h"
#include "vec3.h"

namespace sim {

// Centre of the ball tau seconds after impact (tau >= 0), from its rest centre.
Vec3 BallCentreAfterImpact(const StrikeParams& s, Vec3 rest, double tau);

enum class ClubKind { kDriver, kIron, kPutter };
ClubKind ClubFor(Spot spot);

struct ClubPose {
  Vec3 head_corners[4];  // top face of the head, in order round it
  Vec3 hosel;            // lower end of the shaft
  Vec3 hands;            // upper end of the shaft
  double shaft_width_mm = 11.0;
  float head_tone = 0;
  float shaft_tone = 0;  // a dark shaft; a chrome one takes its shine from the lamps
  double head_top_z = 0;
  bool chrome = false;
  // A lamp mirrored in a polished head, a bright disc on its top; radius 0 when there is none.
  Vec3 glint;
  double glint_radius_mm = 0;
};

// Pose of the club tau seconds from impact (negative before it); false when it is out of play.
// A swing (no shot) is a practice swing: slower, released early, the head just over the ball
// instead of through it.
bool ClubPoseAt(const StrikeParams& s, bool is_shot, Spot spot, Vec3 rest, double tau,
                ClubPose& pose);

}  // namespace sim
