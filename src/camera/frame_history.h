// The four frames before the live one, kept for the shot analysis's look back.
#pragma once

#include <cstring>

#include "camera/frame_buffers.h"

// Oldest first, so every frame moves one place back before the live frame is overwritten:
// pre-shot 4 := 3, 3 := 2, 2 := 1, 1 := live.
inline void ShiftFrameHistory(FrameBuffers& buffers) {
  const auto bytes = static_cast<size_t>(buffers.imageSize);
  for (int i = kPreShotFrames - 1; i > 0; --i) {
    std::memcpy(buffers.preShot[i].get(), buffers.preShot[i - 1].get(), bytes);
  }
  std::memcpy(buffers.preShot[0].get(), buffers.live.get(), bytes);
}
