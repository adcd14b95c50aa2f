// The other payloads of the shared block: the club-area flags and the flight path.
#pragma once

#include <cstddef>
#include <cstdint>

#include "clientlink/shot_result_record.h"

namespace clientlink {

inline constexpr int kAreaCount = 5;
inline constexpr int kFlightPathPoints = 1500;

#pragma pack(push, 1)
// One byte per club type code: driver, iron, putter (always 0), rough, bunker; 1 = a ball lies
// there.
struct AreaFlagsRecord {
  uint8_t m_flags[kAreaCount] = {};
};

// Points from the tee, x y z each; only the first lParam points are valid, the rest are zero.
struct FlightPathRecord {
  float m_points[kFlightPathPoints][3] = {};
};
#pragma pack(pop)

static_assert(sizeof(AreaFlagsRecord) == 5);
static_assert(sizeof(FlightPathRecord) == 18000);
static_assert(offsetof(FlightPathRecord, m_points) == 0);

}  // namespace clientlink
