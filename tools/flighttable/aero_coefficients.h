// Drag and lift coefficients of a golf ball, after Nathan's golf trajectory calculator.
#pragma once

namespace flighttable {

// reynolds: v d / nu. spinFactor: S = r omega / v (surface speed over ball speed).
double DragCoefficient(double reynolds, double spinFactor);
double LiftCoefficient(double spinFactor);

}  // namespace flighttable
