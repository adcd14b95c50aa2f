// Writes flights in the layout of "data.bi": little-endian int32 header, then per flight a
// 24-byte head (tag, point count, carry, third value, elevation, speed), the (height, distance)
// pairs and two trailing int32.
#pragma once

#include <string>
#include <vector>

#include "flight_grid.h"

namespace flighttable {

bool WriteFlightTable(const std::string& path, const std::vector<CTableFlight>& flights);

}  // namespace flighttable
