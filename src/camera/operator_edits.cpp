#include "camera/operator_edits.h"

#include <algorithm>

#include "VarnokV2.h"
#include "camera/window_origin.h"
#include "platform/sleep.h"

namespace {

constexpr int32_t kRequestWaitMs = 200;

// Each edited area and the camera's own (never the copy shifted with the window).
struct AreaLink {
  CRectT OperatorEdits::*edit;
  CRectT ClubAreas::*camera;
};
constexpr AreaLink kAreaLinks[] = {
    {&OperatorEdits::driverArea, &ClubAreas::driverArea},
    {&OperatorEdits::ironArea, &ClubAreas::ironArea},
    {&OperatorEdits::putterArea, &ClubAreas::putterArea},
    {&OperatorEdits::roughArea, &ClubAreas::ironArea_Rough},
    {&OperatorEdits::bunkerArea, &ClubAreas::ironArea_Bunker},
};

void Apply(CMainCamera& camera, const OperatorEdits& e) {
  std::copy_n(e.zigPoints, kZigPointCount, camera.m_zigPoints);
  std::copy_n(e.matPoints, kMatPointCount, camera.m_matPoints);
  for (const AreaLink& link : kAreaLinks) camera.m_areas.*link.camera = e.*link.edit;
  camera.cameraPosition = e.cameraPosition;
  if (e.setAdjustments) {
    for (size_t i = 0; i < std::size(kAdjustmentMembers); ++i) {
      camera.*kAdjustmentMembers[i] = e.adjustments[i];
    }
  }
  if (e.moveWindow) {
    const IntPoint home = HomeOrigin(camera);
    VarnokSetStartPos(camera.m_capture.m_cameraIndex, home.x, home.y);
  }
}

}  // namespace

CRectT& OperatorEdits::ClubArea(int32_t clubType) {
  switch (clubType) {
    case CLUB_DRIVER:
      return driverArea;
    case CLUB_IRON:
      return ironArea;
    case CLUB_PUTTER:
      return putterArea;
    case CLUB_ROUGH:
      return roughArea;
    default:
      return bunkerArea;
  }
}

OperatorEdits CurrentEdits(const CMainCamera& camera) {
  OperatorEdits e;
  std::copy_n(camera.m_zigPoints, kZigPointCount, e.zigPoints);
  std::copy_n(camera.m_matPoints, kMatPointCount, e.matPoints);
  for (const AreaLink& link : kAreaLinks) e.*link.edit = camera.m_areas.*link.camera;
  e.cameraPosition = camera.cameraPosition;
  return e;
}

bool RequestEdits(CMainCamera& camera, const OperatorEdits& edits) {
  EditRequest& request = *camera.m_editRequest;
  // An earlier edit still waiting is replaced only once the thread has taken it.
  for (int32_t waited = 0; request.requested.load(std::memory_order_acquire); ++waited) {
    if (!camera.m_capture.m_capture || waited >= kRequestWaitMs) break;
    platform::SleepMs(1);
  }
  if (!camera.m_capture.m_capture) {
    // Nobody else reads them: change them here (an edit left waiting is overtaken).
    request.requested.store(false, std::memory_order_relaxed);
    Apply(camera, edits);
    return true;
  }
  if (request.requested.load(std::memory_order_acquire)) return false;
  request.pending = edits;
  request.requested.store(true, std::memory_order_release);
  for (int32_t waited = 0; waited < kRequestWaitMs; ++waited) {
    if (!request.requested.load(std::memory_order_acquire)) return true;
    if (!camera.m_capture.m_capture) break;
    platform::SleepMs(1);
  }
  if (camera.m_capture.m_capture) return false;
  // The thread stopped without taking it.
  bool expected = true;
  if (request.requested.compare_exchange_strong(expected, false, std::memory_order_acq_rel)) {
    Apply(camera, request.pending);
  }
  return true;
}

void ApplyRequestedEdits(CMainCamera& camera) {
  EditRequest& request = *camera.m_editRequest;
  if (!request.requested.load(std::memory_order_acquire)) return;
  Apply(camera, request.pending);
  request.requested.store(false, std::memory_order_release);
}
