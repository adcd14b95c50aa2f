#include "frame_clock.h"

#include <cmath>

namespace sim {

FrameClock::FrameClock(const SessionPlan& plan, CameraRole role) {
  segments_ = {{0.0, 0, plan.fps}};
  for (const SessionEvent& e : plan.events) {
    if (e.kind != EventKind::kSlow || e.camera != role) continue;
    const int64_t start = FirstAtOrAfter(e.t);
    const double start_t = TimeOf(start);
    segments_.push_back({start_t, start, e.value});
    if (e.duration > 0) {
      const auto frames =
          static_cast<int64_t>(std::ceil((e.t + e.duration - start_t) * e.value - 1e-9));
      segments_.push_back(
          {start_t + static_cast<double>(frames) / e.value, start + frames, plan.fps});
    }
  }
}

double FrameClock::TimeOf(int64_t frame) const {
  size_t i = segments_.size() - 1;
  while (i > 0 && segments_[i].frame > frame) --i;
  const Segment& s = segments_[i];
  return s.t + static_cast<double>(frame - s.frame) / s.rate;
}

int64_t FrameClock::LatestAt(double t) const {
  if (t < 0) return -1;
  size_t i = segments_.size() - 1;
  while (i > 0 && segments_[i].t > t) --i;
  const Segment& s = segments_[i];
  return s.frame + static_cast<int64_t>(std::floor((t - s.t) * s.rate + 1e-9));
}

int64_t FrameClock::FirstAtOrAfter(double t) const {
  const int64_t latest = LatestAt(t);
  if (latest >= 0 && TimeOf(latest) >= t - 1e-9) return latest;
  return latest + 1;
}

}  // namespace sim
