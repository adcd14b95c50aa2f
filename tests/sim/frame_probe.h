// Small measurements on 8-bit frames for the simulated camera tests: bright-pixel counts in a
// rectangle and the centroid of a bright blob, independent of the sensor's own ball finder.
#pragma once

#include <cstdint>
#include <vector>

namespace simtest {

struct Centroid {
  double x = 0, y = 0;
  int count = 0;
};

inline int CountAbove(const std::vector<uint8_t>& f, int w, int h, int x0, int y0, int rw, int rh,
                      int level) {
  int n = 0;
  for (int y = y0; y < y0 + rh; ++y) {
    for (int x = x0; x < x0 + rw; ++x) {
      if (x >= 0 && y >= 0 && x < w && y < h && f[static_cast<size_t>(y) * w + x] > level) ++n;
    }
  }
  return n;
}

// Centroid of the pixels brighter than level inside the rectangle.
inline Centroid BrightCentroid(const std::vector<uint8_t>& f, int w, int h, int level, int x0 = 0,
                               int y0 = 0, int rw = -1, int rh = -1) {
  if (rw < 0) rw = w;
  if (rh < 0) rh = h;
  Centroid c;
  double sx = 0, sy = 0;
  for (int y = y0; y < y0 + rh && y < h; ++y) {
    for (int x = x0; x < x0 + rw && x < w; ++x) {
      if (x < 0 || y < 0 || f[static_cast<size_t>(y) * w + x] <= level) continue;
      sx += x;
      sy += y;
      ++c.count;
    }
  }
  if (c.count > 0) {
    c.x = sx / c.count;
    c.y = sy / c.count;
  }
  return c;
}

}  // namespace simtest
