// The rectangle of every area, box and ball position. A plain value: nothing keeps the extent
// positive, and an empty or negative extent simply counts nothing.
#pragma once

#include <cstdint>

struct CRectT {
  int32_t m_x = 0;
  int32_t m_y = 0;
  int32_t m_width = 0;
  int32_t m_height = 0;
  // 0 for the watch's rectangles; light-check points use 1, and 2 while the operator has one
  // picked.
  int32_t m_enabled = 0;

  friend bool operator==(const CRectT&, const CRectT&) = default;
};

inline CRectT MakeRect(int32_t x, int32_t y, int32_t width, int32_t height) {
  return CRectT{x, y, width, height, 0};
}
