#include "frame_clock.h"

#include <algorithm>
#include <cmath>

namespace sim {
namespace {

// Scripts bound their times and rates, so frame numbers stay in the billions; the clamp keeps
// the conversion defined (and far from int64's ends for the sums that follow) whatever comes.
int64_t FrameCount(double frames) {
  constexpr double kLimit = 4.0e18;
  if (!(frames > -kLimit)) return static_cast<int64_t>(-kLimit);  // NaN too
  if (frames > kLimit) return static_cast<int64_t>(kLimit);
  return static_cast<int64_t>(frames);
}

}  // namespace

FrameClock::FrameClock(const SessionPlan& plan, CameraRole role) {
  segments_ = {{0.0, 0, plan.fps}};
  for (const SessionEvent& e : plan.events) {
    if (e.kind != EventKind::kSlow || e.camera != role) continue;
    const int64_t start = FirstAtOrAfter(e.t);
    const double start_t = TimeOf(start);
    segments_.push_back({start_t, start, e.value});
    if (e.duration > 0) {
      // A period that ends before the first frame due in it holds no frame at all (a camera
      // slower than the period is long); a negative count would set the clock back in time.
      const int64_t frames = std::max<int64_t>(
          0, FrameCount(std::ceil((e.t + e.duration - start_t) * e.value - 1e-9)));
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
  if (!(t >= 0)) return -1;
  size_t i = segments_.size() - 1;
  while (i > 0 && segments_[i].t > t) --i;
  const Segment& s = segments_[i];
  return s.frame + FrameCount(std::floor((t - s.t) * s.rate + 1e-9));
}

int64_t FrameClock::FirstAtOrAfter(double t) const {
  const int64_t latest = LatestAt(t);
  if (latest >= 0 && TimeOf(latest) >= t - 1e-9) return latest;
  return latest + 1;
}

}  // namespace sim
