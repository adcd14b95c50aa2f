// The frame dump of a shot record: the four quarters of an 8-bit frame bottom quarter first, each
// followed by filler. The files are named ".bmp" but have no bitmap header; the shot tools and the
// simulated camera's replay read them back.
#pragma once

#include <cstdint>
#include <string>

inline constexpr int32_t kFrameDumpFillerBytes = 30;

// 4 * q + 120 with q = floor(width * height / 4); -1 for a negative size. The last
// width * height - 4 * q pixels (at most 3) are not kept.
int64_t FrameDumpBytes(int32_t width, int32_t height);

// Writes the dump of the width x height frame straight from image. False when the file cannot be
// created or written.
bool WriteFrameDump(const uint8_t* image, int32_t width, int32_t height, const char* path);

// Reads a dump of a width x height frame back into out (width * height bytes; pixels the dump does
// not keep become 0). False with a clear reason in *error (e.g. "image_3.bmp is 1000 bytes, a
// 320 x 320 frame dump has 102520") when the file is missing, unreadable or of the wrong size.
// error may be null.
bool ReadFrameDump(const char* path, int32_t width, int32_t height, uint8_t* out,
                   std::string* error);

// The side of the square frame whose dump has this many bytes, or 0 when no square frame with at
// least one kept pixel fits.
int32_t SquareFrameSideOfDump(int64_t fileBytes);
