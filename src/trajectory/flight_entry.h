// One flight of the table: launch speed and elevation, carry, and the path as (height,
// distance along the launch line) pairs in the units of the table file.
#pragma once

#include <cstdint>
#include <vector>

struct CPathPoint {
  float m_height = 0.0f;
  float m_distance = 0.0f;
};

struct CFlightEntry {
  int32_t m_pointCount = 0;  // points kept, 1 to 1500
  float m_carry = 0.0f;
  float m_third = 0.0f;  // in the file, not used by the sensor
  float m_ElevationDeg = 0.0f;
  float m_speed = 0.0f;  // mph
  std::vector<CPathPoint> m_points;
};
