// Gain, flips and the operator's brightness: what the camera is told about the light it sees.
#include "VarnokV2.h"
#include "camera/main_camera.h"

namespace {

// Sent before the gain whenever the camera sets its gain by itself.
constexpr int32_t kAutoGainCompanionValue = 480;

}  // namespace

void CMainCamera::ApplyGain(int32_t value) {
  gain = value;
  const int32_t id = m_capture.m_cameraIndex;
  if (autoGain == 1) {
    VarnokSetControlValue(id, VARNOK_CONTROL_AUTO_MAX_GAIN, kAutoGainCompanionValue, 1);
    VarnokSetControlValue(id, VARNOK_CONTROL_GAIN, value, 1);
  } else {
    VarnokSetControlValue(id, VARNOK_CONTROL_GAIN, value, 0);
  }
}

int32_t CMainCamera::ReadReportedGain() const {
  int32_t value = 0;
  int32_t autoFlag = 0;
  VarnokGetControlValue(m_capture.m_cameraIndex, VARNOK_CONTROL_GAIN, &value, &autoFlag);
  return value;
}

namespace {

void SendFlips(int32_t id, int32_t v, int32_t h) {
  const int32_t bits = (v != 0 ? VARNOK_FLIP_VERTICAL : 0) | (h != 0 ? VARNOK_FLIP_HORIZONTAL : 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_FLIP, bits, 0);
}

}  // namespace

void CMainCamera::SetVerticalFlip(int32_t v) {
  vflip = v;
  SendFlips(m_capture.m_cameraIndex, vflip, hflip);
}

void CMainCamera::SetHorizontalFlip(int32_t h) {
  hflip = h;
  SendFlips(m_capture.m_cameraIndex, vflip, hflip);
}

void CMainCamera::ApplyBrightness(int32_t gainValue) {
  // The operator sets only the gain; exposure and gamma go back to the table's values.
  exposure = m_whiteNum.m_defaultExposure;
  gamma = m_whiteNum.m_defaultGamma;
  vflip = 0;
  hflip = 0;
  const int32_t id = m_capture.m_cameraIndex;
  VarnokSetControlValue(id, VARNOK_CONTROL_EXPOSURE, exposure, 0);
  ApplyGain(gainValue);
  VarnokSetControlValue(id, VARNOK_CONTROL_GAMMA, gamma, 0);
  SetVerticalFlip(0);
  SetHorizontalFlip(0);
  WriteSettings();
}
