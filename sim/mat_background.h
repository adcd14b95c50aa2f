// The still picture of the bare mat on a whole sensor, in radiance units (grey level at nominal
// gain times kRadianceScale). Tiles are rendered the first time a window touches them and then
// kept for the life of the process, so a frame only copies rows.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "camera_rig.h"

namespace sim {

inline constexpr int kRadianceScale = 64;

class MatBackground {
 public:
  static const MatBackground& For(CameraRole role);

  // Makes sure the sensor rectangle is rendered; thread-safe, cheap once done.
  void Prepare(int x, int y, int width, int height) const;
  // Row y of the sensor (valid after Prepare covered it).
  const uint16_t* Row(int y) const { return pixels_.get() + static_cast<size_t>(y) * kSensorWidth; }

 private:
  static constexpr int kTile = 64;
  static constexpr int kTilesX = (kSensorWidth + kTile - 1) / kTile;
  static constexpr int kTilesY = (kSensorHeight + kTile - 1) / kTile;

  explicit MatBackground(CameraRole role);
  void RenderTile(int tx, int ty) const;

  CameraRole role_;
  std::unique_ptr<uint16_t[]> pixels_;
  mutable std::array<std::atomic<bool>, kTilesX * kTilesY> ready_{};
  mutable std::mutex mutex_;  // serialises tile rendering
};

}  // namespace sim
