#include "error_summary.h"

#include <cmath>

namespace accuracy {

void ErrorStats::Add(double measured, double truth) {
  if (std::isfinite(measured) && std::isfinite(truth)) AddError(measured - truth);
}

void ErrorStats::AddError(double error) {
  if (!std::isfinite(error)) return;
  ++count_;
  sumAbs_ += std::fabs(error);
  sumSigned_ += error;
}

double ErrorStats::MeanAbs() const {
  return count_ > 0 ? sumAbs_ / static_cast<double>(count_) : kNoValue;
}

double ErrorStats::MeanSigned() const {
  return count_ > 0 ? sumSigned_ / static_cast<double>(count_) : kNoValue;
}

Summary Summarise(const JoinResult& join) {
  Summary summary;
  for (const JoinedEvent& event : join.events) {
    const TruthEvent& truth = event.truth;
    if (!truth.shot || event.deliveries.empty()) continue;
    const Measured& measured = event.deliveries.front();
    ShotErrors& group = truth.IsPutt() ? summary.putts : summary.full;
    ++group.shots;
    group.speed.Add(measured.speed(), truth.speed);
    if (truth.speed > 0) {
      group.speedPercent.AddError((measured.speed() - truth.speed) / truth.speed * 100.0);
    }
    group.hla.Add(measured.hla(), truth.hla);
    if (truth.IsPutt()) continue;
    group.vla.Add(measured.vla(), truth.vla);
    group.sidespin.Add(measured.sidespin(), truth.sidespin);
    group.backspin.Add(measured.backspin(), truth.backspin);
  }
  return summary;
}

}  // namespace accuracy
