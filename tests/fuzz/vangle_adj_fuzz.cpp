// "vangle_adj.ini" as any file: the table loads, every launch angle finds its band's percentage,
// and a band the angle-speed dialog writes reads back with the others unchanged.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include "analysis/vangle_adj_table.h"
#include "fuzz_support.h"
#include "platform/profile.h"

namespace {

bool OneOfTheBands(const VAngleAdjTable& table, int32_t percent) {
  for (int32_t p : table.percent) {
    if (p == percent) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("vangle_adj.ini");
  fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));

  VAngleAdjTable table;
  table.Load(path.c_str());
  VAngleAdjTable again;
  again.Load(path.c_str());
  FUZZ_CHECK(std::memcmp(table.percent, again.percent, sizeof table.percent) == 0,
             "loading twice gives the same table");

  const float angles[] = {-1.0f,
                          0.0f,
                          0.99f,
                          1.0f,
                          4.9f,
                          5.0f,
                          5.01f,
                          45.0f,
                          89.9f,
                          90.0f,
                          90.1f,
                          1e30f,
                          std::numeric_limits<float>::infinity(),
                          std::numeric_limits<float>::quiet_NaN()};
  for (float angle : angles) {
    const int32_t percent = table.PercentFor(angle);
    const bool inside = angle >= 1.0f && angle <= 90.0f;
    FUZZ_CHECK(inside ? OneOfTheBands(table, percent) : percent == 0,
               "an angle gets its band's percentage, none outside 1..90");
  }

  // The dialog's write: one band, a value drawn from the input so it varies with it.
  const int band = static_cast<int>(size % kVAngleBands);
  int32_t value = 0;
  std::memcpy(&value, data, size < sizeof value ? size : sizeof value);
  char key[8];
  VAngleBandKey(band, key, sizeof key);
  if (!platform::WritePrivateProfileStringA("vangle", key, std::to_string(value).c_str(),
                                            path.c_str())) {
    return 0;  // a file that cannot be read back as text is not replaced
  }
  VAngleAdjTable written;
  written.Load(path.c_str());
  for (int b = 0; b < kVAngleBands; ++b) {
    FUZZ_CHECK(written.percent[b] == (b == band ? value : table.percent[b]),
               "the written band reads back, the others as before");
  }
  return 0;
}
