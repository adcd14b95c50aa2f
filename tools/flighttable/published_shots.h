// Launch-monitor averages the flight model is checked against before its table is trusted.
#pragma once

#include <array>

namespace flighttable {

struct CPublishedShot {
  double m_speedMph;
  double m_elevationDeg;
  double m_backSpinRpm;
  double m_carryYards;
};

inline constexpr double kMetresPerYard = 0.9144;

inline constexpr std::array<CPublishedShot, 2> kPublishedDrives{{
    {167.0, 10.9, 2686.0, 275.0},
    {171.0, 10.4, 2545.0, 282.0},
}};

// The model's carry of a published shot, in yards.
double ModelCarryYards(const CPublishedShot& shot);

}  // namespace flighttable
