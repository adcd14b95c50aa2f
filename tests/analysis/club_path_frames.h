// Frames whose pixels tell where they came from, for the club-path picture tests.
#pragma once

#include <cstdint>
#include <vector>

namespace club_path_test {

struct Frame {
  int32_t width;
  int32_t height;
  std::vector<uint8_t> pixels;

  template <typename Value>
  Frame(int32_t w, int32_t h, Value value)
      : width(w), height(h), pixels(static_cast<size_t>(w) * h) {
    for (int32_t y = 0; y < h; ++y) {
      for (int32_t x = 0; x < w; ++x) pixels[static_cast<size_t>(y) * w + x] = value(x, y);
    }
  }
  const uint8_t* data() const { return pixels.data(); }
};

// The value is the column (modulo 256).
inline Frame ColumnFrame(int32_t w, int32_t h) {
  return Frame(w, h, [](int32_t x, int32_t) { return static_cast<uint8_t>(x); });
}

// The value is the row counted from the top (modulo 256).
inline Frame RowFrame(int32_t w, int32_t h) {
  return Frame(w, h, [](int32_t, int32_t y) { return static_cast<uint8_t>(y); });
}

// 200 everywhere but 9 at the frame pixel that becomes the picture's bottom-left corner when the
// crop starts at column left.
inline Frame CornerMarkFrame(int32_t w, int32_t h, int32_t left) {
  return Frame(w, h,
               [=](int32_t x, int32_t y) -> uint8_t { return x == left && y == h - 1 ? 9 : 200; });
}

// For a 320 x 240 frame and a ball at x = 100 (crop columns 20..179, rows 40..239): turned
// pixels (column, row from the bottom) and the unturned pixel each shows, worked out by hand from
// the turn (c = cos a, s = sin a; the box starts at X = -21 for -3 degrees, at Y = -17 for +3).
struct TurnedPoint {
  int32_t i, j;  // in the turned picture
  int32_t x, y;  // in the 320 x 400 unturned picture
};
struct TurnCase {
  float angle;
  int32_t width, height;
  TurnedPoint points[5];
};
inline constexpr TurnCase kTurnCases[] = {
    // (11, 190) turns to column -0.54, which counts as column 0: truncated, not floored.
    {-3,
     342,
     418,
     {{21, 0, 0, 0},
      {21, 200, 9, 199},
      {321, 100, 304, 83},
      {11, 400, 10, 399},
      {11, 190, 0, 189}}},
    // Clockwise: the bottom row now falls to the right, the left column leans right. One column
    // narrower than at -3: the box is taken over the corners (0, 0), (w, 0), (0, h), (w - 1, h).
    {3,
     341,
     418,
     {{0, 17, 0, 0},
      {300, 2, 299, 0},
      {30, 390, 9, 373},
      {170, 209, 159, 200},
      {300, 20, 298, 18}}},
};

// What the unturned picture of that crop holds at (x, y from the bottom).
inline uint8_t ColumnAt(int32_t x) {
  return static_cast<uint8_t>(20 + x / 2);
}
inline uint8_t RowAt(int32_t y) {
  return static_cast<uint8_t>(40 + (399 - y) / 2);
}

}  // namespace club_path_test
