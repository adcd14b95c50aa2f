// What the operator edits on a camera from the console: the ten light-check points (four of them
// the ball-direction markers), the five club areas and the capture window's place on the sensor.
// The capture thread reads all of them, so a capturing camera takes an edit on its own thread,
// before its next watch step, as it takes a mode switch; a camera that is not capturing is
// changed at once.
#pragma once

#include <atomic>

#include "camera/main_camera.h"

// The installer's corrections that every shot gets, as the console lists them.
inline constexpr float CMainCamera::*kAdjustmentMembers[10] = {
    &CMainCamera::m_HAngleAdjForPlus,        &CMainCamera::m_HAngleAdjForPlusForPutter,
    &CMainCamera::m_VAngleDriverAdjForPlus,  &CMainCamera::m_VAngleIronAdjForPlus,
    &CMainCamera::m_speedPuttingAdjForMulti, &CMainCamera::m_speedAdjForMulti,
    &CMainCamera::m_sideSpinAdjForMulti,     &CMainCamera::m_sideSpinAdjForMulti_Slice,
    &CMainCamera::m_sideSpinAdjForPlus,      &CMainCamera::m_backSpinAdjForMulti,
};

struct OperatorEdits {
  CRectT zigPoints[kZigPointCount];
  CRectT matPoints[kMatPointCount];
  CRectT driverArea;
  CRectT ironArea;
  CRectT putterArea;
  CRectT roughArea;
  CRectT bunkerArea;
  IntPoint cameraPosition;
  // The camera library is told the new window place as well.
  bool moveWindow = false;
  // The ten shot adjustments, in the order of kAdjustmentMembers, when setAdjustments.
  bool setAdjustments = false;
  float adjustments[10] = {};

  // The area of a club type as the Club combo numbers them (0 driver ... 4 bunker).
  CRectT& ClubArea(int32_t clubType);
};

// The camera's values as they stand, on the control thread once its earlier requests were taken
// (nothing else writes these while the camera captures).
OperatorEdits CurrentEdits(const CMainCamera& camera);

// Control thread. Waits a little for a capturing camera to take the edit; a busy one (a shot
// analysis) takes it before its next watch step. True once the camera holds the edit.
bool RequestEdits(CMainCamera& camera, const OperatorEdits& edits);

// Capture thread, once per frame: carries out a pending edit.
void ApplyRequestedEdits(CMainCamera& camera);

// Where a capturing camera keeps the edit it has not taken yet.
struct EditRequest {
  OperatorEdits pending;
  std::atomic<bool> requested{false};
};
