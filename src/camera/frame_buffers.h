// The frame buffers of one camera, allocated once at its first open and kept with the same size.
#pragma once

#include <cstdint>
#include <memory>

inline constexpr int kPreShotFrames = 4;
inline constexpr int kShotStoreFrames = 42;
inline constexpr int kAnalysisWorkBuffers = 2;
inline constexpr int kAnalysisScratchBuffers = 2;
// The analysis keeps copies of its work images until the shot is delivered: two per shot frame,
// the handedness image and the two club-path images.
inline constexpr int kDumpCopyFrames = 2 * kShotStoreFrames + 3;

struct FrameBuffers {
  int32_t width = 0;
  int32_t height = 0;
  int32_t imageSize = 0;  // bytes per frame; 0 until allocated
  std::unique_ptr<uint8_t[]> live;
  std::unique_ptr<uint8_t[]> shotStore;                   // kShotStoreFrames consecutive frames
  std::unique_ptr<uint8_t[]> preShot[kPreShotFrames];     // [0] one read ago ... [3] four reads ago
  std::unique_ptr<uint8_t[]> work[kAnalysisWorkBuffers];  // mask and difference of a shot frame
  // The handedness test's own mask and difference, so it never disturbs the frame's.
  std::unique_ptr<uint8_t[]> scratch[kAnalysisScratchBuffers];
  std::unique_ptr<uint8_t[]> dumpCopies;  // kDumpCopyFrames frames
  // Running sums of a shot frame's mask, (width + 1) x (height + 1).
  std::unique_ptr<uint32_t[]> maskSums;
  std::unique_ptr<uint8_t[]> reference;
  std::unique_ptr<uint8_t[]> spare;

  bool Allocated() const { return live != nullptr; }
  // Allocates every buffer for frames of width x height bytes and zeroes all but those that are
  // always written before they are read.
  void Allocate(int32_t frameWidth, int32_t frameHeight);
};
