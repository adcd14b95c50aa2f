#include "published_shots.h"

#include "ball_flight.h"
#include "flight_grid.h"

namespace flighttable {

double ModelCarryYards(const CPublishedShot& shot) {
  const CLaunch launch{shot.m_speedMph * kMetresPerSecondPerMph, shot.m_elevationDeg,
                       shot.m_backSpinRpm};
  return Fly(launch, 0.01, kMaxTablePoints).m_carry / kMetresPerYard;
}

}  // namespace flighttable
