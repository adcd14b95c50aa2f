#include "frame_renderer.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "mat_background.h"
#include "object_painter.h"

namespace sim {
namespace {

constexpr size_t kNoiseSize = 1 << 16;
constexpr size_t kNoisePad = kSensorWidth;

// Gaussian sensor noise (sigma about 1.8 grey levels) drawn once; each frame reads it from
// seeded offsets per row, which is far cheaper than drawing per pixel.
const int8_t* NoiseTable() {
  static const auto kTable = [] {
    auto t = std::make_unique<int8_t[]>(kNoiseSize + kNoisePad);
    uint64_t s = 0x9e3779b97f4a7c15ull;
    auto next = [&s] {
      s ^= s << 13;
      s ^= s >> 7;
      s ^= s << 17;
      return static_cast<double>(s >> 11) * (1.0 / 9007199254740992.0);
    };
    for (size_t i = 0; i < kNoiseSize + kNoisePad; ++i) {
      const double u1 = std::max(next(), 1e-12), u2 = next();
      const double g = std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
      t[i] = static_cast<int8_t>(std::lround(std::clamp(g * 1.8, -8.0, 8.0)));
    }
    return t;
  }();
  return kTable.get();
}

uint64_t Mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  x ^= x >> 33;
  return x;
}

// out = radiance * k / 65536 + noise, clamped to 0..255. Written in 16-bit steps with restrict
// pointers so that it compiles to a high-half multiply and a saturating pack, 8 pixels at a time.
void Expose(const uint16_t* __restrict src, const int8_t* __restrict noise, uint8_t* __restrict dst,
            int width, uint16_t k) {
  for (int x = 0; x < width; ++x) {
    const auto scaled = static_cast<uint16_t>((static_cast<uint32_t>(src[x]) * k) >> 16);
    const auto v = static_cast<int16_t>(std::min<int>(scaled, 1023) + noise[x]);
    dst[x] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
  }
}

void Flip(uint8_t* out, int width, int height, int flip) {
  if (flip & 1) {
    for (int y = 0; y < height; ++y) std::reverse(out + y * width, out + (y + 1) * width);
  }
  if (flip & 2) {
    for (int y = 0; y < height / 2; ++y) {
      std::swap_ranges(out + y * width, out + (y + 1) * width, out + (height - 1 - y) * width);
    }
  }
}

}  // namespace

void FrameRenderer::Reserve(int width, int height) {
  const size_t need = static_cast<size_t>(width) * height;
  if (need > capacity_) {
    radiance_ = std::make_unique<uint16_t[]>(need);
    capacity_ = need;
  }
  if (height > row_capacity_) {
    row_painted_ = std::make_unique<uint8_t[]>(static_cast<size_t>(height));
    background_rows_ = std::make_unique<const uint16_t*[]>(static_cast<size_t>(height));
    row_capacity_ = height;
  }
}

void FrameRenderer::Render(const FrameRequest& r, const SceneSnapshot& scene, uint8_t* out) {
  Reserve(r.width, r.height);
  const MatBackground& bg = MatBackground::For(r.role);
  bg.Prepare(r.x0, r.y0, r.width, r.height);
  for (int y = 0; y < r.height; ++y) {
    background_rows_[y] = bg.Row(r.y0 + y);
    row_painted_[y] = 0;
  }

  RadianceWindow window{
      radiance_.get(), row_painted_.get(), background_rows_.get(), r.x0, r.y0, r.width, r.height};
  const PinholeCamera& cam = RigCamera(r.role);
  for (int i = 0; i < scene.club_count; ++i) PaintShaft(cam, scene.clubs[i], window);
  // Lower things first: a head that passes over a ball hides it.
  for (int i = 0; i < scene.club_count; ++i) {
    if (scene.clubs[i].head_top_z <= 2 * kBallRadiusMm) PaintHead(cam, scene.clubs[i], window);
  }
  for (int i = 0; i < scene.ball_count; ++i) PaintBall(cam, scene.balls[i], window);
  for (int i = 0; i < scene.club_count; ++i) {
    if (scene.clubs[i].head_top_z > 2 * kBallRadiusMm) PaintHead(cam, scene.clubs[i], window);
  }

  // Brightness scales with gain, exposure and room light; 300, 1000 and 1.0 are nominal.
  const double factor = std::min(std::clamp(r.gain / kNominalGain, 0.0, 4.0) *
                                     std::clamp(r.exposure / kNominalExposure, 0.0, 4.0) *
                                     std::clamp(scene.light, 0.0, 4.0),
                                 60.0);
  const auto k = static_cast<uint16_t>(std::lround(factor * 65536.0 / kRadianceScale));
  const int8_t* noise = NoiseTable();
  const uint64_t frame_key =
      Mix((r.seed * 0x9e3779b97f4a7c15ull) ^
          (static_cast<uint64_t>(r.frame_index) * 2 + static_cast<uint64_t>(r.role)));
  const int width = r.width;
  for (int y = 0; y < r.height; ++y) {
    const uint16_t* src = row_painted_[y] ? radiance_.get() + static_cast<size_t>(y) * width
                                          : background_rows_[y] + r.x0;
    Expose(src, noise + Mix(frame_key + static_cast<uint64_t>(y)) % kNoiseSize,
           out + static_cast<size_t>(y) * width, width, k);
  }
  Flip(out, r.width, r.height, r.flip);
}

}  // namespace sim
