// Renders the pixels of one capture window: the mat background, the moving objects, then gain,
// room light and sensor noise into 8-bit brightness. Only the window's pixels are worked on, and
// nothing is allocated per frame once the first frame of the largest window has been made.
#pragma once

#include <cstdint>
#include <memory>

#include "camera_rig.h"
#include "scene_snapshot.h"

namespace sim {

inline constexpr double kNominalGain = 300.0;
inline constexpr double kNominalExposure = 1000.0;

struct FrameRequest {
  CameraRole role = CameraRole::kMain;
  int x0 = 0, y0 = 0;  // window origin on the sensor
  int width = 320, height = 320;
  double gain = kNominalGain;
  double exposure = kNominalExposure;
  int flip = 0;  // bit 0 horizontal, bit 1 vertical
  uint32_t seed = 1;
  int64_t frame_index = 0;  // selects the noise of this frame
};

class FrameRenderer {
 public:
  // Sizes the work buffer for windows up to width x height.
  void Reserve(int width, int height);
  // Writes width x height bytes to out. The window must lie on the sensor.
  void Render(const FrameRequest& request, const SceneSnapshot& scene, uint8_t* out);

 private:
  std::unique_ptr<uint16_t[]> radiance_;
  std::unique_ptr<uint8_t[]> row_painted_;
  std::unique_ptr<const uint16_t*[]> background_rows_;
  size_t capacity_ = 0;
  int row_capacity_ = 0;
};

}  // namespace sim
