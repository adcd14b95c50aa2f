#include "mat_background.h"

#include <algorithm>

#include "scene_layout.h"

namespace sim {

const MatBackground& MatBackground::For(CameraRole role) {
  static const MatBackground kMain(CameraRole::kMain);
  static const MatBackground kSide(CameraRole::kSide);
  return role == CameraRole::kMain ? kMain : kSide;
}

MatBackground::MatBackground(CameraRole role)
    : role_(role),
      pixels_(std::make_unique<uint16_t[]>(static_cast<size_t>(kSensorWidth) * kSensorHeight)) {}

void MatBackground::Prepare(int x, int y, int width, int height) const {
  if (width <= 0 || height <= 0) return;
  const int tx0 = std::max(0, x / kTile), ty0 = std::max(0, y / kTile);
  const int tx1 = std::min(kTilesX - 1, (x + width - 1) / kTile);
  const int ty1 = std::min(kTilesY - 1, (y + height - 1) / kTile);
  for (int ty = ty0; ty <= ty1; ++ty) {
    for (int tx = tx0; tx <= tx1; ++tx) {
      std::atomic<bool>& done = ready_[ty * kTilesX + tx];
      if (done.load(std::memory_order_acquire)) continue;
      std::lock_guard<std::mutex> lock(mutex_);
      if (done.load(std::memory_order_relaxed)) continue;
      RenderTile(tx, ty);
      done.store(true, std::memory_order_release);
    }
  }
}

void MatBackground::RenderTile(int tx, int ty) const {
  const PinholeCamera& cam = RigCamera(role_);
  const int x1 = std::min(kSensorWidth, (tx + 1) * kTile);
  const int y1 = std::min(kSensorHeight, (ty + 1) * kTile);
  // 3 x 3 samples per pixel keep the paint edges smooth, so marker and line positions move by
  // fractions of a pixel as the geometry says.
  constexpr int kSub = 3;
  for (int y = ty * kTile; y < y1; ++y) {
    uint16_t* row = pixels_.get() + static_cast<size_t>(y) * kSensorWidth;
    for (int x = tx * kTile; x < x1; ++x) {
      float sum = 0;
      for (int sy = 0; sy < kSub; ++sy) {
        for (int sx = 0; sx < kSub; ++sx) {
          const Vec3 p = cam.OnMat(x + (sx + 0.5) / kSub, y + (sy + 0.5) / kSub);
          sum += MatRadiance(p.x, p.y);
        }
      }
      const float value = sum / (kSub * kSub) * kRadianceScale;
      row[x] = static_cast<uint16_t>(std::clamp(value, 0.0f, 65535.0f));
    }
  }
}

}  // namespace sim
