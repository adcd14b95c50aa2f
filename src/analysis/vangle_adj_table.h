// The installer's speed correction by launch angle ("vangle_adj.ini"): an integer percentage for
// each band of five degrees from 1 to 90, written by the console's angle-speed dialog.
#pragma once

#include <cstdint>

inline constexpr int kVAngleBands = 18;
inline constexpr const char* kVAngleAdjFile = "vangle_adj.ini";

struct VAngleAdjTable {
  int32_t percent[kVAngleBands] = {};

  // Reads every band from the file (a missing file or key reads 0).
  void Load(const char* path);
  // The percentage for a launch angle: 1..5 is the first band, (5, 10] the second, ... (85, 90]
  // the last; outside 1..90 none applies (0).
  int32_t PercentFor(float vAngle) const;
};

// The key of band i: "1~", "6~", ..., "86~".
void VAngleBandKey(int band, char* out, int size);
