#include "camera/camera_modes.h"

#include "platform/sleep.h"

namespace {

void DropPointPicks(CMainCamera& camera) {
  for (CRectT& point : camera.m_zigPoints) {
    if (point.m_enabled > 0) point.m_enabled = 1;
  }
  for (CRectT& point : camera.m_matPoints) {
    if (point.m_enabled > 0) point.m_enabled = 1;
  }
}

constexpr int32_t kRequestWaitMs = 200;

}  // namespace

void SelectCameraMode(CMainCamera& camera, CameraMode mode) {
  DropPointPicks(camera);
  camera.m_lightCheckMode = mode == CameraMode::LightCheck ? 1 : 0;
  camera.m_ballDirectionMode = mode == CameraMode::BallDirection ? 1 : 0;
  camera.m_clubAreaMode = mode == CameraMode::ClubArea ? 1 : 0;

  camera.ReadSettings();
  // Ball direction edits the points of its own section; every other mode starts from the grid.
  if (mode != CameraMode::BallDirection) camera.LayOutLightCheckPoints(false);
  for (CRectT& point : camera.m_zigPoints) point.m_enabled = 1;
  if (camera.m_capture.m_cameraIndex != -1) camera.ApplyGain(camera.gain);

  // Leaving the front view: the watch brings the capture window back home.
  if (camera.m_viewFront) {
    camera.m_viewFront = 0;
    camera.m_windowMoved = true;
  }
}

void RequestCameraMode(CMainCamera& camera, CameraMode mode) {
  CaptureState& capture = camera.m_capture;
  if (!capture.m_capture) {
    SelectCameraMode(camera, mode);
    return;
  }
  capture.m_requestedMode.store(static_cast<int32_t>(mode), std::memory_order_release);
  for (int32_t waited = 0; waited < kRequestWaitMs; ++waited) {
    if (capture.m_requestedMode.load(std::memory_order_acquire) == kNoModeRequest) return;
    if (!capture.m_capture) break;
    platform::SleepMs(1);
  }
  // The thread stopped capturing without taking the request: switch here, unless it took the
  // request after all. A thread that is only busy keeps the request for its next frame.
  if (capture.m_capture) return;
  int32_t expected = static_cast<int32_t>(mode);
  if (capture.m_requestedMode.compare_exchange_strong(expected, kNoModeRequest,
                                                      std::memory_order_acq_rel)) {
    SelectCameraMode(camera, mode);
  }
}

void ApplyRequestedCameraMode(CMainCamera& camera) {
  std::atomic<int32_t>& request = camera.m_capture.m_requestedMode;
  // Cheap when nothing is asked for: one load per frame.
  const int32_t requested = request.load(std::memory_order_acquire);
  if (requested == kNoModeRequest) return;
  SelectCameraMode(camera, static_cast<CameraMode>(requested));
  // A newer request that came meanwhile stays for the next frame.
  int32_t expected = requested;
  request.compare_exchange_strong(expected, kNoModeRequest, std::memory_order_release,
                                  std::memory_order_relaxed);
}
