// Simulated time of each frame of one camera: frame index / frame rate, except while an injected
// "slow" fault makes the camera deliver at a lower rate.
#pragma once

#include <cstdint>
#include <vector>

#include "session_plan.h"

namespace sim {

class FrameClock {
 public:
  FrameClock() = default;
  FrameClock(const SessionPlan& plan, CameraRole role);

  double TimeOf(int64_t frame) const;
  // The last frame due at or before t (-1 before frame 0, and for a NaN).
  int64_t LatestAt(double t) const;
  // The first frame due at or after t.
  int64_t FirstAtOrAfter(double t) const;

 private:
  struct Segment {
    double t;
    int64_t frame;
    double rate;
  };
  std::vector<Segment> segments_{{0.0, 0, 500.0}};
};

}  // namespace sim
