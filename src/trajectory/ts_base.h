// The flight path of one shot: the table's flight for the shot's speed and elevation, turned to
// its horizontal angle and bent step by step by its side spin. One object per shot, used by the
// capture thread that measured it.
#pragma once

#include <array>

#include "trajectory/trajectory.h"

class cTS_Base {
 public:
  static constexpr int kMaxPoints = cTrajectory::kMaxPoints;
  using Point = std::array<float, 3>;  // x sideways, y height, z along the target line
  using Path = std::array<Point, kMaxPoints>;

  // The table is the process-wide one unless a caller brings its own.
  explicit cTS_Base(const cTrajectory& table = g_cTrajectory);
  explicit cTS_Base(const cTrajectory&& table) = delete;  // would outlive its table

  void Reset();
  // 1 when a path was produced, 0 when the table has no flight for the input.
  int Swing_GetTrajectory2();

  // [0] horizontal angle (deg), [1] vertical angle (deg), [2] speed (m/s), [4] side spin;
  // the other slots are not read.
  std::array<float, 9> m_input{};
  float m_sidespin2 = 0.0f;
  float m_curveAngle = 0.0f;
  float m_curveRate = 0.0f;
  Path m_straightPath{};
  Path m_flightPath{};
  int m_pointCount = 0;
  std::array<float, 3> m_stepOffset{};
  float m_elevationOffset = 0.0f;
  float m_directionOffset = 0.0f;
  float m_spinScale = 1.0f;

 private:
  void SpinStep(Point& step);

  const cTrajectory& m_table;
};

static_assert(sizeof(cTS_Base::Path) == cTS_Base::kMaxPoints * 3 * sizeof(float),
              "the client receives the path as packed float triples");
