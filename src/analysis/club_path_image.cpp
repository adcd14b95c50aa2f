#include "analysis/club_path_image.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr int32_t kCropWidth = 160;
constexpr int32_t kCropHeight = 200;
constexpr int32_t kPictureWidth = 320;
constexpr int32_t kPictureHeight = 400;

constexpr int32_t kFileHeaderBytes = 14;
constexpr int32_t kInfoHeaderBytes = 40;
constexpr int32_t kPaletteBytes = 256 * 4;
constexpr int32_t kPixelOffset = kFileHeaderBytes + kInfoHeaderBytes + kPaletteBytes;
constexpr int32_t kPixelsPerMetre = 3780;  // 96 dots per inch

// A turned 320 x 400 picture is at most its diagonal (513) plus 2 wide.
constexpr int32_t kMaxRowBytes = 1024;

// The scaled crop, read in place from the frame.
struct Picture {
  const uint8_t* image;
  int32_t width;  // of the frame
  int32_t left;   // first cropped column
  int32_t top;    // first cropped row
  float sx;       // crop columns per picture column

  // The pixel at bitmap column x and row y counted from the bottom.
  uint8_t At(int32_t x, int32_t y) const {
    constexpr float sy = static_cast<float>(kCropHeight) / kPictureHeight;
    const auto cx = static_cast<int32_t>(std::floor(static_cast<float>(x) * sx));
    const auto cy =
        static_cast<int32_t>(std::floor(static_cast<float>(kPictureHeight - 1 - y) * sy));
    return image[static_cast<int64_t>(top + cy) * width + left + cx];
  }
};

// The turn of the picture about its bottom-left corner, and the box that holds the result.
struct Turn {
  double c = 1;
  double s = 0;
  int32_t minX = 0;
  int32_t minY = 0;
  int32_t width = kPictureWidth;
  int32_t height = kPictureHeight;

  // The turned picture's pixel at bitmap column i, row j.
  uint8_t At(const Picture& picture, int32_t i, int32_t j) const {
    const int32_t X = minX + i, Y = minY + j;
    const auto x = static_cast<int32_t>(X * c + Y * s - 0.5);
    const auto y = static_cast<int32_t>(Y * c - X * s - 0.5);
    if (x < 0 || x >= kPictureWidth || y < 0 || y >= kPictureHeight) return picture.At(0, 0);
    return picture.At(x, y);
  }
};

// False for an angle too large to turn by.
bool MakeTurn(float angleDegrees, Turn& turn) {
  const auto r = static_cast<float>(std::numbers::pi / 2);
  const float a = -angleDegrees * r / 90;
  if (!std::isfinite(a)) return false;
  turn.c = std::cos(static_cast<double>(a));
  turn.s = std::sin(static_cast<double>(a));
  // The fourth corner is (w - 1, h), not (w, h): the box the turned picture has always had.
  const int32_t corners[4][2] = {
      {0, 0}, {kPictureWidth, 0}, {0, kPictureHeight}, {kPictureWidth - 1, kPictureHeight}};
  int32_t minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (int k = 0; k < 4; ++k) {
    const double px = corners[k][0], py = corners[k][1];
    const auto X = static_cast<int32_t>(std::floor(px * turn.c - py * turn.s));
    const auto Y = static_cast<int32_t>(std::floor(px * turn.s + py * turn.c));
    if (k == 0 || X < minX) minX = X;
    if (k == 0 || X > maxX) maxX = X;
    if (k == 0 || Y < minY) minY = Y;
    if (k == 0 || Y > maxY) maxY = Y;
  }
  turn.minX = minX;
  turn.minY = minY;
  turn.width = maxX - minX + 2;
  turn.height = maxY - minY + 2;
  return turn.width <= kMaxRowBytes;
}

uint8_t* PutU16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  return p + 2;
}

uint8_t* PutU32(uint8_t* p, uint32_t v) {
  return PutU16(PutU16(p, v & 0xFFFF), v >> 16);
}

// File header, info header and grey palette of a bottom-up 8-bit bitmap.
void MakeHeader(uint8_t (&header)[kPixelOffset], int32_t width, int32_t height, int32_t stride) {
  const auto imageBytes = static_cast<uint32_t>(stride) * static_cast<uint32_t>(height);
  uint8_t* p = header;
  *p++ = 'B';
  *p++ = 'M';
  p = PutU32(p, kPixelOffset + imageBytes);
  p = PutU16(p, 0);
  p = PutU16(p, 0);
  p = PutU32(p, kPixelOffset);
  p = PutU32(p, kInfoHeaderBytes);
  p = PutU32(p, static_cast<uint32_t>(width));
  p = PutU32(p, static_cast<uint32_t>(height));  // positive: rows bottom-up
  p = PutU16(p, 1);                              // planes
  p = PutU16(p, 8);                              // bits per pixel
  p = PutU32(p, 0);                              // no compression
  p = PutU32(p, imageBytes);
  p = PutU32(p, kPixelsPerMetre);
  p = PutU32(p, kPixelsPerMetre);
  p = PutU32(p, 256);  // colours used
  p = PutU32(p, 0);    // all important
  for (uint32_t k = 0; k < 256; ++k) {
    const auto grey = static_cast<uint8_t>(k);
    *p++ = grey;
    *p++ = grey;
    *p++ = grey;
    *p++ = 0;
  }
}

}  // namespace

bool WriteClubPathImage(int32_t width, const uint8_t* image, const char* path, int32_t height,
                        int32_t centreX, float angleDegrees) {
  if (width < kCropWidth || height < kCropHeight || image == nullptr) return false;
  const int64_t x = centreX;
  const int64_t left = std::max<int64_t>(x - kCropWidth / 2, 0);
  const int64_t cropWidth =
      std::min({x + kCropWidth / 2, static_cast<int64_t>(kCropWidth), width - left});
  if (cropWidth <= 0) return false;
  const Picture picture{image, width, static_cast<int32_t>(left), height - kCropHeight,
                        static_cast<float>(cropWidth) / kPictureWidth};
  Turn turn;
  const bool turned = angleDegrees != 0;
  if (turned && !MakeTurn(angleDegrees, turn)) return false;

  std::FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
  if (file == nullptr) return true;
  const int32_t stride = (turn.width + 3) / 4 * 4;
  uint8_t header[kPixelOffset];
  MakeHeader(header, turn.width, turn.height, stride);
  std::fwrite(header, 1, sizeof header, file);
  uint8_t row[kMaxRowBytes] = {};  // the padding stays zero
  for (int32_t j = 0; j < turn.height; ++j) {
    for (int32_t i = 0; i < turn.width; ++i) {
      row[i] = turned ? turn.At(picture, i, j) : picture.At(i, j);
    }
    std::fwrite(row, 1, static_cast<size_t>(stride), file);
  }
  std::fclose(file);
  return true;
}
