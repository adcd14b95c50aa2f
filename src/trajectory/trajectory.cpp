#include "trajectory/trajectory.h"

#include <cmath>

cTrajectory g_cTrajectory;

bool LoadFlightTable() {
  return g_cTrajectory.Load(kFlightTableFile);
}

const CFlightEntry* cTrajectory::Slot(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &m_entries[index];
}

const CFlightEntry* cTrajectory::GetOne(float speed, float elevation) const {
  // A NaN passes every clamp below and would make the row meaningless.
  if (std::isnan(speed) || std::isnan(elevation)) return nullptr;

  float mph = speed * 2.23f;
  if (mph >= 200.0f) {
    mph = 199.9f;
  } else if (mph < 10.0f) {
    mph = 10.0f;
  }
  float e = elevation;
  if (e >= 60.0f) {
    e = 59.9f;
  } else if (e < 0.0f) {
    e = 0.0f;
  }

  int row = static_cast<int>(mph / 10.0f - 1.0f);
  if (row < 1) row = 1;
  const int column = static_cast<int>(e * 0.5f);

  const CFlightEntry* lower = Slot(row * kColumns + column);
  const CFlightEntry* upper = Slot(row * kColumns + column + 1);
  if (lower == nullptr || upper == nullptr) return nullptr;
  if (!(lower->m_ElevationDeg <= e && e < upper->m_ElevationDeg)) return nullptr;
  return Slot((row + 1) * kColumns + column + 1);
}
