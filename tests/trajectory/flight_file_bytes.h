// Builds table files byte by byte, independently of the generator's writer, so the loader is
// checked against the file layout itself.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "trajectory/trajectory.h"

// A file name in the test's temporary folder no other test process uses.
inline std::string UniqueTempPath() {
  static int serial = 0;
  return testing::TempDir() + "kestrix_flights_" + std::to_string(getpid()) + "_" +
         std::to_string(serial++) + ".bi";
}

class FlightFileBytes {
 public:
  FlightFileBytes& Int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) m_bytes.push_back(uint8_t(bits >> shift));
    return *this;
  }
  FlightFileBytes& Float(float value) {
    int32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return Int32(bits);
  }
  // A whole entry: head, pairs (height, distance) and the two trailing int32 when count >= 1.
  FlightFileBytes& Entry(int32_t count, float carry, float elevation, float speed,
                         const std::vector<std::pair<float, float>>& points) {
    Int32(7).Int32(count).Float(carry).Float(-1.0f).Float(elevation).Float(speed);
    if (count < 1) return *this;
    for (const auto& [height, distance] : points) Float(height).Float(distance);
    return Int32(0).Int32(0);
  }
  // A straight rising path of n points whose distances tell the entries apart.
  static std::vector<std::pair<float, float>> Path(int n, float distanceStep) {
    std::vector<std::pair<float, float>> points;
    for (int i = 0; i < n; ++i) points.emplace_back(0.5f * i, distanceStep * i);
    return points;
  }

  std::vector<uint8_t>& Bytes() { return m_bytes; }

  // Loads the bytes through a file of their own: CTest runs test cases in parallel processes.
  bool LoadInto(cTrajectory& table) const {
    const std::string path = UniqueTempPath();
    FILE* file = std::fopen(path.c_str(), "wb");
    EXPECT_NE(file, nullptr);
    if (file == nullptr) return false;
    std::fwrite(m_bytes.data(), 1, m_bytes.size(), file);
    std::fclose(file);
    const bool loaded = table.Load(path.c_str());
    std::remove(path.c_str());
    return loaded;
  }

 private:
  std::vector<uint8_t> m_bytes;
};

// The 20 x 31 grid, or its first slots: row r flies at 10 (r + 1) mph, column c at 2c degrees
// (or c x columnDeg), carry = slot index so a lookup names the slot it returned.
inline FlightFileBytes GridFile(float columnDeg = 2.0f, int points = 40, int slots = 620) {
  FlightFileBytes file;
  file.Int32(slots);
  for (int slot = 0; slot < slots; ++slot) {
    const int row = slot / 31;
    const int column = slot % 31;
    file.Entry(points, float(slot), columnDeg * column, 10.0f * (row + 1),
               FlightFileBytes::Path(points, 1.0f + 0.01f * slot));
  }
  return file;
}
