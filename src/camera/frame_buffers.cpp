#include "camera/frame_buffers.h"

#include <cstring>

namespace {

std::unique_ptr<uint8_t[]> Zeroed(size_t bytes) {
  auto buffer = std::make_unique_for_overwrite<uint8_t[]>(bytes);
  std::memset(buffer.get(), 0, bytes);
  return buffer;
}

}  // namespace

void FrameBuffers::Allocate(int32_t frameBytes) {
  const auto bytes = static_cast<size_t>(frameBytes);
  imageSize = frameBytes;
  live = Zeroed(bytes);
  shotStore = Zeroed(bytes * kShotStoreFrames);
  for (auto& frame : preShot) frame = Zeroed(bytes);
  for (auto& frame : work) frame = Zeroed(bytes);
  for (auto& frame : scratch) frame = Zeroed(bytes);
  reference = Zeroed(bytes);
  // The spare frame is only ever overwritten by a read, so it is left as allocated.
  spare = std::make_unique_for_overwrite<uint8_t[]>(bytes);
}
