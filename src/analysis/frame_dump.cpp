#include "analysis/frame_dump.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <system_error>

namespace {

constexpr uint8_t kFiller[kFrameDumpFillerBytes] = {};
constexpr int kQuarters = 4;

int64_t QuarterBytes(int32_t width, int32_t height) {
  return static_cast<int64_t>(width) * height / kQuarters;
}

void SetError(std::string* error, std::string text) {
  if (error) *error = std::move(text);
}

// Largest r with r * r <= v, for 0 <= v <= INT32_MAX squared.
int64_t SquareRootFloor(int64_t v) {
  auto r = static_cast<int64_t>(std::sqrt(static_cast<double>(v)));
  while (r * r > v) --r;
  while ((r + 1) * (r + 1) <= v) ++r;
  return r;
}

}  // namespace

int64_t FrameDumpBytes(int32_t width, int32_t height) {
  if (width < 0 || height < 0) return -1;
  return kQuarters * (QuarterBytes(width, height) + kFrameDumpFillerBytes);
}

bool WriteFrameDump(const uint8_t* image, int32_t width, int32_t height, const char* path) {
  if (path == nullptr || width < 0 || height < 0 ||
      (image == nullptr && QuarterBytes(width, height) > 0)) {
    return false;
  }
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const auto q = static_cast<size_t>(QuarterBytes(width, height));
  bool written = true;
  // Bottom quarter first, the layout every reader of shot records expects.
  for (int k = kQuarters - 1; k >= 0; --k) {
    written = written && (q == 0 || std::fwrite(image + k * q, 1, q, file) == q);
    written = written && std::fwrite(kFiller, 1, sizeof kFiller, file) == sizeof kFiller;
  }
  return std::fclose(file) == 0 && written;
}

bool ReadFrameDump(const char* path, int32_t width, int32_t height, uint8_t* out,
                   std::string* error) {
  const int64_t expected = FrameDumpBytes(width, height);
  if (path == nullptr) {
    SetError(error, "no frame dump named");
    return false;
  }
  if (expected < 0) {
    SetError(error, "a frame of " + std::to_string(width) + " x " + std::to_string(height) +
                        " has no dump");
    return false;
  }
  std::error_code ec;
  const uintmax_t size = std::filesystem::file_size(path, ec);
  if (ec) {
    SetError(error, std::string("cannot read ") + path + ": " + ec.message());
    return false;
  }
  if (size != static_cast<uintmax_t>(expected)) {
    SetError(error, std::string(path) + " is " + std::to_string(size) + " bytes, a " +
                        std::to_string(width) + " x " + std::to_string(height) +
                        " frame dump has " + std::to_string(expected));
    return false;
  }
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    SetError(error, std::string("cannot open ") + path);
    return false;
  }
  const auto q = static_cast<size_t>(QuarterBytes(width, height));
  uint8_t filler[kFrameDumpFillerBytes];
  bool read = true;
  for (int k = kQuarters - 1; k >= 0 && read; --k) {
    read = (q == 0 || std::fread(out + k * q, 1, q, file) == q) &&
           std::fread(filler, 1, sizeof filler, file) == sizeof filler;
  }
  std::fclose(file);
  if (!read) {
    SetError(error, std::string("cannot read ") + path);
    return false;
  }
  const auto pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  for (size_t i = kQuarters * q; i < pixels; ++i) out[i] = 0;
  return true;
}

int32_t SquareFrameSideOfDump(int64_t fileBytes) {
  constexpr int64_t kMaxSide = std::numeric_limits<int32_t>::max();
  const int64_t kept = fileBytes - kQuarters * kFrameDumpFillerBytes;
  if (kept <= 0 || kept >= kMaxSide * kMaxSide) return 0;
  // An even side keeps all s * s pixels, an odd one all but the last.
  const int64_t even = SquareRootFloor(kept);
  if (even * even == kept && even % 2 == 0) return static_cast<int32_t>(even);
  const int64_t odd = SquareRootFloor(kept + 1);
  if (odd * odd == kept + 1 && odd % 2 == 1) return static_cast<int32_t>(odd);
  return 0;
}
