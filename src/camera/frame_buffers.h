// The frame buffers of one camera, allocated once at its first open and kept with the same size.
#pragma once

#include <cstdint>
#include <memory>

inline constexpr int kPreShotFrames = 4;
inline constexpr int kShotStoreFrames = 42;
inline constexpr int kAnalysisWorkBuffers = 2;
inline constexpr int kAnalysisScratchBuffers = 2;

struct FrameBuffers {
  int32_t imageSize = 0;  // bytes per frame; 0 until allocated
  std::unique_ptr<uint8_t[]> live;
  std::unique_ptr<uint8_t[]> shotStore;                // kShotStoreFrames consecutive frames
  std::unique_ptr<uint8_t[]> preShot[kPreShotFrames];  // [0] one read ago ... [3] four reads ago
  std::unique_ptr<uint8_t[]> work[kAnalysisWorkBuffers];  // mask and difference of a shot frame
  // The handedness test's own mask and difference, so it never disturbs the frame's.
  std::unique_ptr<uint8_t[]> scratch[kAnalysisScratchBuffers];
  std::unique_ptr<uint8_t[]> reference;
  std::unique_ptr<uint8_t[]> spare;

  bool Allocated() const { return live != nullptr; }
  // Allocates every buffer for frames of imageSize bytes and zeroes all but the spare frame.
  void Allocate(int32_t frameBytes);
};
