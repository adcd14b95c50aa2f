// The grid of flights the sensor looks up: 20 speed rows of 10 x (row + 1) mph by 31 elevation
// columns of 2 x column degrees, slot = row x 31 + column.
#pragma once

#include <vector>

#include "ball_flight.h"

namespace flighttable {

inline constexpr int kSpeedRows = 20;
inline constexpr int kElevationColumns = 31;
inline constexpr int kMaxTablePoints = 1500;
inline constexpr double kMetresPerSecondPerMph = 0.44704;

struct CTableFlight {
  float m_speed = 0.0f;         // mph
  float m_ElevationDeg = 0.0f;  // degrees
  float m_carry = 0.0f;         // metres
  float m_apex = 0.0f;          // metres; the file's third value
  std::vector<CFlightPoint> m_points;
};

double RowSpeedMph(int row);
double ColumnElevationDeg(int column);

// All 620 flights in slot order, points every stepSeconds, at most 1500 per flight.
std::vector<CTableFlight> BuildFlightGrid(double stepSeconds);

}  // namespace flighttable
