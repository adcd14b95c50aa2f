// Small frames drawn in code for the image tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "watch/rect.h"

struct TestFrame {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> pixels;

  TestFrame(int32_t w, int32_t h, uint8_t background = 0)
      : width(w), height(h), pixels(static_cast<size_t>(w) * h, background) {}

  // Paints the part of the rectangle that lies inside the frame.
  void Fill(const CRectT& r, uint8_t value) {
    for (int32_t y = std::max(r.m_y, 0); y < std::min(r.m_y + r.m_height, height); ++y) {
      for (int32_t x = std::max(r.m_x, 0); x < std::min(r.m_x + r.m_width, width); ++x) {
        pixels[static_cast<size_t>(y) * width + x] = value;
      }
    }
  }
  void Fill(int32_t x, int32_t y, int32_t w, int32_t h, uint8_t value) {
    Fill(MakeRect(x, y, w, h), value);
  }
  uint8_t* data() { return pixels.data(); }
};
