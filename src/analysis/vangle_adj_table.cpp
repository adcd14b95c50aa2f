#include "analysis/vangle_adj_table.h"

#include <cmath>
#include <cstdio>

#include "platform/profile.h"
#include "platform/text_numbers.h"

void VAngleBandKey(int band, char* out, int size) {
  std::snprintf(out, static_cast<size_t>(size), "%d~", band * 5 + 1);
}

void VAngleAdjTable::Load(const char* path) {
  for (int band = 0; band < kVAngleBands; ++band) {
    char key[8];
    VAngleBandKey(band, key, sizeof key);
    char value[32];
    platform::GetPrivateProfileStringA("vangle", key, "0", value, sizeof value, path);
    percent[band] = platform::TextToInt(value);
  }
}

int32_t VAngleAdjTable::PercentFor(float vAngle) const {
  const double v = vAngle;
  if (!(v >= 1 && v <= 90)) return 0;
  int band = v <= 5 ? 0 : static_cast<int>(std::ceil(v / 5)) - 1;
  if (band >= kVAngleBands) band = kVAngleBands - 1;
  return percent[band];
}
