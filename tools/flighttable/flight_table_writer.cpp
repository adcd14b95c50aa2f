#include "flight_table_writer.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <string>

namespace flighttable {
namespace {

// Byte order is fixed by the file, not by the host.
void PutInt32(std::vector<unsigned char>& out, int32_t value) {
  const auto bits = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8)
    out.push_back(static_cast<unsigned char>(bits >> shift));
}

void PutFloat(std::vector<unsigned char>& out, float value) {
  PutInt32(out, std::bit_cast<int32_t>(value));
}

}  // namespace

bool WriteFlightTable(const std::string& path, const std::vector<CTableFlight>& flights) {
  std::vector<unsigned char> bytes;
  PutInt32(bytes, static_cast<int32_t>(flights.size()));
  int32_t tag = 0;
  for (const CTableFlight& flight : flights) {
    PutInt32(bytes, tag++);
    PutInt32(bytes, static_cast<int32_t>(flight.m_points.size()));
    PutFloat(bytes, flight.m_carry);
    PutFloat(bytes, flight.m_apex);
    PutFloat(bytes, flight.m_ElevationDeg);
    PutFloat(bytes, flight.m_speed);
    if (flight.m_points.empty()) continue;
    for (const CFlightPoint& point : flight.m_points) {
      PutFloat(bytes, point.m_height);
      PutFloat(bytes, point.m_distance);
    }
    PutInt32(bytes, 0);
    PutInt32(bytes, 0);
  }

  // Written aside and renamed, so a failed run never leaves a half table under the real name.
  const std::string partial = path + ".partial";
  FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = std::fclose(file) == 0;
  if (!written || !closed) {
    std::remove(partial.c_str());
    return false;
  }
  return std::rename(partial.c_str(), path.c_str()) == 0;
}

}  // namespace flighttable
