#include "back_spin_rule.h"

#include <algorithm>

namespace flighttable {

double TypicalBackSpinRpm(double speedMph, double elevationDeg) {
  constexpr double kIronFactor = 3.6;
  constexpr double kDriverFactor = 1.5;
  constexpr double kIronTopMph = 130.0;
  constexpr double kDriverBottomMph = 160.0;
  constexpr double kMinElevationDeg = 4.0;
  constexpr double kMaxRpm = 11000.0;

  const double blend =
      std::clamp((speedMph - kIronTopMph) / (kDriverBottomMph - kIronTopMph), 0.0, 1.0);
  const double factor = kIronFactor + (kDriverFactor - kIronFactor) * blend;
  const double rpm = factor * std::max(speedMph, 0.0) * std::max(elevationDeg, kMinElevationDeg);
  return std::min(rpm, kMaxRpm);
}

}  // namespace flighttable
