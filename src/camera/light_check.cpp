// The light check: ten small boxes that must be bright enough for the ball watch to work, six
// zig points spread over the window and four mat points chosen by the installer.
#include "camera/main_camera.h"
#include "watch/bright_count.h"

namespace {

// Percent and pass are taken against the full box, even where the window cuts it.
constexpr int32_t kBoxArea = 22 * 22;
constexpr int32_t kPassPercent = 58;
constexpr int32_t kPassCount = kBoxArea * kPassPercent / 100;  // 280

CRectT ClampToWindow(CRectT r, int32_t W, int32_t H) {
  if (r.m_x <= 0) r.m_x = 0;
  if (r.m_x >= W) r.m_x = W;
  if (r.m_y <= 0) r.m_y = 0;
  if (r.m_y >= H) r.m_y = H;
  if (r.m_x + r.m_width >= W) r.m_width = W - r.m_x;
  if (r.m_y + r.m_height >= H) r.m_height = H - r.m_y;
  return r;
}

void Measure(const CRectT& point, const CMainCamera& camera, CCheckLight& result) {
  const int32_t W = camera.FrameWidth();
  const int32_t H = camera.FrameHeight();
  const CRectT box = ClampToWindow(point, W, H);
  const int32_t count = CountWhite(box, W, camera.LiveFrame(), camera.m_whiteNum.m_ballLevel, H);
  result.m_percent = count * 100 / kBoxArea;
  result.m_pass = count > kPassCount ? 1 : 0;
}

}  // namespace

void CMainCamera::LayOutLightCheckPoints(bool atOpen) {
  const int32_t W = m_whiteNum.m_width;
  const int32_t H = m_whiteNum.m_height;
  const int32_t u = (9 * H / 10) / 3;
  const int32_t v = u / 3;
  for (int32_t i = 0; i < 2; ++i) {
    for (int32_t j = 0; j < 3; ++j) {
      CRectT& point = m_zigPoints[i * 3 + j];
      point.m_x = (W / 2) / 2 - 5 + i * (W / 2);
      point.m_y = v - 20 + j * u;
      point.m_width = m_whiteNum.m_ballSizeX;
      point.m_height = m_whiteNum.m_ballSizeY;
      point.m_enabled = 1;
    }
  }
  if (!atOpen) return;
  for (CRectT& point : m_matPoints) point.m_enabled = 1;
  for (CCheckLight& check : m_zigCheck) check.m_shown = 0;
}

void CMainCamera::MeasureLight() {
  if (LiveFrame() == nullptr) return;
  for (int k = 0; k < kZigPointCount; ++k) Measure(m_zigPoints[k], *this, m_zigCheck[k]);
  for (int k = 0; k < kMatPointCount; ++k) Measure(m_matPoints[k], *this, m_matCheck[k]);
}
