// The three moves of the capture window the ball watch asks for on the capture thread: centred
// on a ball at rest so the shot stays in view, back home, and raised to look in front of the tee.
#include "VarnokV2.h"
#include "camera/main_camera.h"
#include "camera/window_origin.h"

namespace {

// Rows between the ball's corner and the window's bottom edge after centring.
constexpr int32_t kBallRowsFromBottom = 40;
constexpr int32_t kBunkerBallRowsFromBottom = 15;
// The check view's home sits this many rows higher.
constexpr int32_t kCheckViewHomeRaise = 80;
constexpr int32_t kRaiseRows = 80;

CRectT Shifted(const CRectT& area, int32_t dx, int32_t dy) {
  CRectT moved = area;
  moved.m_x += dx;
  moved.m_y += dy;
  return moved;
}

}  // namespace

void CMainCamera::CentreWindowOnBall() {
  if (!m_capture.m_capture || m_windowMoved) return;
  m_windowMoved = true;
  const int32_t W = m_whiteNum.m_width;
  const int32_t H = m_whiteNum.m_height;
  const int32_t rows = m_clubType == CLUB_BUNKER ? kBunkerBallRowsFromBottom : kBallRowsFromBottom;
  const IntPoint home = HomeOrigin(*this);
  const int32_t x = m_foundBallArea.m_x - W / 2 + home.x;
  const int32_t y = m_foundBallArea.m_y + 2 * (rows - H / 2) + home.y;
  VarnokSetStartPos(m_capture.m_cameraIndex, x, y);

  m_windowShiftX = home.x - x;
  m_windowShiftY = home.y - y;
  ClubAreas& a = m_areas;
  a.driverAreaShifted = Shifted(a.driverArea, m_windowShiftX, m_windowShiftY);
  a.ironAreaShifted = Shifted(a.ironArea, m_windowShiftX, m_windowShiftY);
  a.ironAreaShifted_Rough = Shifted(a.ironArea_Rough, m_windowShiftX, m_windowShiftY);
  a.ironAreaShifted_Bunker = Shifted(a.ironArea_Bunker, m_windowShiftX, m_windowShiftY);
  a.putterAreaShifted = Shifted(a.putterArea, m_windowShiftX, m_windowShiftY);
  // The ball area of the new window is lit differently; the camera takes the gain again.
  ApplyGain(gain);
}

void CMainCamera::ReturnWindowHome() {
  if (!m_capture.m_capture || !m_windowMoved) return;
  m_windowMoved = false;
  m_windowShiftX = 0;
  m_windowShiftY = 0;
  IntPoint home = HomeOrigin(*this);
  if (SensorType == SENSOR_CHECK_VIEW) home.y -= kCheckViewHomeRaise;
  VarnokSetStartPos(m_capture.m_cameraIndex, home.x, home.y);
}

void CMainCamera::RaiseWindow() {
  if (!m_capture.m_capture || !m_windowMoved) return;
  m_windowMoved = false;
  const IntPoint home = HomeOrigin(*this);
  const int32_t y = home.y + 2 * (kRaiseRows - m_whiteNum.m_height / 2);
  VarnokSetStartPos(m_capture.m_cameraIndex, home.x, y);
  m_windowShiftX = 0;
  m_windowShiftY = home.y - y;
}

CRectT CMainCamera::TeeReferenceRect() const {
  CRectT tee = MakeRect(m_whiteNum.m_width / 2, 103, 246, 0);
  if (m_windowMoved) {
    tee.m_x += m_windowShiftX;
    tee.m_y += m_windowShiftY;
  }
  return tee;
}
