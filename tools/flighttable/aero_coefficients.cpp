#include "aero_coefficients.h"

namespace flighttable {

double DragCoefficient(double reynolds, double spinFactor) {
  // The drag crisis of a dimpled ball: 0.5 below Re 0.5e5, 0.2 above 1.0e5, straight between.
  constexpr double kLowRe = 0.5e5;
  constexpr double kHighRe = 1.0e5;
  double base;
  if (reynolds <= kLowRe) {
    base = 0.500;
  } else if (reynolds >= kHighRe) {
    base = 0.200;
  } else {
    base = 0.500 - 0.300 * (reynolds - kLowRe) / (kHighRe - kLowRe);
  }
  return base + 0.18 * spinFactor;
}

double LiftCoefficient(double spinFactor) {
  if (spinFactor <= 0.3) return 1.99 * spinFactor - 3.25 * spinFactor * spinFactor;
  return 0.305;
}

}  // namespace flighttable
