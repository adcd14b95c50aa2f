// Frame dumps as any file: read as the frame its size belongs to (what the replay and the shot
// tools do) and as a game camera's 320 x 320 frame. A dump that reads writes back to the same
// bytes, its filler aside.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/frame_dump.h"
#include "fuzz_support.h"

namespace {

constexpr int32_t kGameSide = 320;

// Zeroes the filler after each quarter: the writer writes zeros there, the reader skips it.
std::string WithoutFiller(std::string_view dump, int32_t width, int32_t height) {
  std::string bytes(dump);
  const auto quarter = static_cast<size_t>(static_cast<int64_t>(width) * height / 4);
  for (size_t k = 0; k < 4; ++k) {
    const size_t at = (k + 1) * quarter + k * kFrameDumpFillerBytes;
    bytes.replace(at, kFrameDumpFillerBytes, kFrameDumpFillerBytes, '\0');
  }
  return bytes;
}

void ReadAs(const std::string& path, std::string_view dump, int32_t width, int32_t height) {
  const size_t pixels = static_cast<size_t>(width) * height;
  // One byte past the frame shows a reader that writes beyond it.
  std::vector<uint8_t> frame(pixels + 1, 0xA5);
  std::string error;
  const bool read = ReadFrameDump(path.c_str(), width, height, frame.data(), &error);
  FUZZ_CHECK(frame[pixels] == 0xA5, "the reader stays within the frame");
  const bool sizeFits = static_cast<int64_t>(dump.size()) == FrameDumpBytes(width, height);
  FUZZ_CHECK(read == sizeFits, "a dump reads exactly when its size is the frame's");
  FUZZ_CHECK(read || !error.empty(), "a refused dump says why");
  if (!read) return;

  static const std::string copy = fuzz::ScratchFile("rewritten.bmp");
  FUZZ_CHECK(WriteFrameDump(frame.data(), width, height, copy.c_str()), "the frame writes back");
  FUZZ_CHECK(fuzz::ReadFile(copy) == WithoutFiller(dump, width, height),
             "the frame writes back to the dump it was read from");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("image_0.bmp");
  const std::string_view dump(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile(path, dump);

  const int32_t side = SquareFrameSideOfDump(static_cast<int64_t>(size));
  if (side > 0) {
    FUZZ_CHECK(FrameDumpBytes(side, side) == static_cast<int64_t>(size),
               "the side found gives back the file's size");
    ReadAs(path, dump, side, side);
  }
  ReadAs(path, dump, kGameSide, kGameSide);
  return 0;
}
