#include "sensor/camera_modes.h"

namespace {

void DropPointPicks(CMainCamera& camera) {
  for (CRectT& point : camera.m_zigPoints) {
    if (point.m_enabled > 0) point.m_enabled = 1;
  }
  for (CRectT& point : camera.m_matPoints) {
    if (point.m_enabled > 0) point.m_enabled = 1;
  }
}

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
