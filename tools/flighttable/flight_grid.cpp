#include "flight_grid.h"

#include "back_spin_rule.h"

namespace flighttable {

double RowSpeedMph(int row) {
  return 10.0 * (row + 1);
}

double ColumnElevationDeg(int column) {
  return 2.0 * column;
}

std::vector<CTableFlight> BuildFlightGrid(double stepSeconds) {
  std::vector<CTableFlight> grid;
  grid.reserve(kSpeedRows * kElevationColumns);
  for (int row = 0; row < kSpeedRows; ++row) {
    for (int column = 0; column < kElevationColumns; ++column) {
      const double mph = RowSpeedMph(row);
      const double elevation = ColumnElevationDeg(column);
      const CLaunch launch{mph * kMetresPerSecondPerMph, elevation,
                           TypicalBackSpinRpm(mph, elevation)};
      CBallFlight flight = Fly(launch, stepSeconds, kMaxTablePoints);
      grid.push_back({static_cast<float>(mph), static_cast<float>(elevation),
                      static_cast<float>(flight.m_carry), static_cast<float>(flight.m_apex),
                      std::move(flight.m_points)});
    }
  }
  return grid;
}

}  // namespace flighttable
