#include "camera/frame_buffers.h"

#include <cstring>

namespace {

std::unique_ptr<uint8_t[]> Zeroed(size_t bytes) {
  auto buffer = std::make_unique_for_overwrite<uint8_t[]>(bytes);
  std::memset(buffer.get(), 0, bytes);
  return buffer;
}

}  // namespace

void FrameBuffers::Allocate(int32_t frameWidth, int32_t frameHeight) {
  width = frameWidth;
  height = frameHeight;
  imageSize = frameWidth * frameHeight;
  const auto bytes = static_cast<size_t>(imageSize);
  live = Zeroed(bytes);
  shotStore = Zeroed(bytes * kShotStoreFrames);
  for (auto& frame : preShot) frame = Zeroed(bytes);
  for (auto& frame : work) frame = Zeroed(bytes);
  for (auto& frame : scratch) frame = Zeroed(bytes);
  reference = Zeroed(bytes);
  // Both are only ever overwritten before they are read, so they are left as allocated.
  dumpCopies = std::make_unique_for_overwrite<uint8_t[]>(bytes * kDumpCopyFrames);
  maskSums = std::make_unique_for_overwrite<uint32_t[]>(static_cast<size_t>(frameWidth + 1) *
                                                        static_cast<size_t>(frameHeight + 1));
  spare = std::make_unique_for_overwrite<uint8_t[]>(bytes);
}
