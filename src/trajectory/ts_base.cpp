#include "trajectory/ts_base.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr float kRadiansPerDegree = std::numbers::pi_v<float> / 180.0f;

}  // namespace

cTS_Base::cTS_Base(const cTrajectory& table) : m_table(table) {
  Reset();
}

void cTS_Base::Reset() {
  m_pointCount = 0;
  m_stepOffset = {};
  m_elevationOffset = 0.0f;
  m_directionOffset = 0.0f;
  m_spinScale = 1.0f;
  m_sidespin2 = 0.0f;
  m_curveAngle = 0.0f;
  m_curveRate = 0.0f;
  m_flightPath = {};
  m_input = {};
}

int cTS_Base::Swing_GetTrajectory2() {
  m_curveAngle = 0.0f;
  m_curveRate = 0.0f;
  m_pointCount = 0;

  const float theta = (m_input[0] + m_directionOffset) * kRadiansPerDegree;

  // A fast ball launched low leaves with less speed than measured: 0.857 of it at 0 deg,
  // rising to all of it at 10 deg.
  float speed = m_input[2];
  if (m_input[2] > 25.0f && m_input[1] <= 10.0f) {
    if (m_input[1] < 0.0f) m_input[1] = 0.0f;
    float factor = 2.0f * m_input[1];
    factor = factor + 120.0f;
    factor = factor / 140.0f;
    speed = speed * factor;
  }
  m_input[1] = m_input[1] + m_elevationOffset;

  const CFlightEntry* entry = m_table.GetOne(speed, m_input[1]);
  if (entry == nullptr) return 0;

  const int n = std::min(entry->m_pointCount, kMaxPoints);
  const float sinTheta = std::sin(theta);
  const float cosTheta = std::cos(theta);
  for (int i = 0; i < n; ++i) {
    const CPathPoint& p = entry->m_points[i];
    m_straightPath[i] = {p.m_distance * sinTheta, p.m_height, p.m_distance * cosTheta};
  }
  m_pointCount = n;
  m_sidespin2 = m_input[4] * m_spinScale;

  if (n > 0) m_flightPath[0] = m_straightPath[0];
  for (int i = 1; i < n; ++i) {
    Point step;
    for (int k = 0; k < 3; ++k) step[k] = m_straightPath[i][k] - m_straightPath[i - 1][k];
    SpinStep(step);
    for (int k = 0; k < 3; ++k)
      m_flightPath[i][k] = m_flightPath[i - 1][k] + step[k] + m_stepOffset[k];
  }
  return 1;
}

// Turns one step by the curve accumulated so far, then lets the curve rate climb by one per step
// towards spin / 40 while the spin itself decays.
void cTS_Base::SpinStep(Point& step) {
  if (m_sidespin2 == 0.0f) return;
  m_sidespin2 = std::clamp(m_sidespin2, -4500.0f, 4500.0f);

  const float a = std::clamp(m_curveAngle * 0.005f, -90.0f, 90.0f) * kRadiansPerDegree;
  const float sx = step[0];
  const float sz = step[2];
  step[0] = sx * std::cos(a) + sz * std::sin(a);
  step[2] = -sx * std::sin(a) + sz * std::cos(a);

  const float goal = m_sidespin2 / 40.0f;
  if (goal > 0.0f && m_curveRate < goal) {
    m_curveRate = m_curveRate + 1.0f;
  } else if (goal <= 0.0f && m_curveRate > goal) {
    m_curveRate = m_curveRate - 1.0f;
  }
  m_curveAngle = m_curveAngle + m_curveRate;
  m_sidespin2 = m_sidespin2 * 0.97f;
}
