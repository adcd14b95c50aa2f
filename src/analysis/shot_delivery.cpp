#include "analysis/shot_delivery.h"

#include <cstring>

#include "analysis/adjustment_chain.h"
#include "analysis/shot_run.h"
#include "clientlink/client_link.h"
#include "trajectory/ts_base.h"

namespace {

void CallCallbacks(ShotRun& run, ShotResultRecord& record) {
  CMainCamera& camera = run.camera;
  for (const auto& slot : camera.m_resultCallbacks) {
    if (const ResultCallback callback = slot.load()) callback(&record);
  }
  // A putt the side camera measured is shown where the main camera's shots are.
  const CMainCamera* peer = camera.m_peer;
  if (run.puttingUsesSideCamera && peer != nullptr) {
    if (const ResultCallback callback = peer->m_resultCallbacks[0].load()) callback(&record);
  }
}

void SendFlightPath(const ShotResultRecord& record) {
  cTS_Base flight;
  flight.Reset();
  flight.m_input[0] = record.m_HAngle;
  flight.m_input[1] = record.m_VAngle;
  flight.m_input[2] = record.m_speed;
  flight.m_input[4] = record.m_sideSpin;
  flight.Swing_GetTrajectory2();
  clientlink::FlightPathRecord path;
  std::memcpy(path.m_points, flight.m_flightPath.data(), sizeof path.m_points);
  clientlink::PostFlightPath(path, flight.m_pointCount);
}

}  // namespace

float DerivedSpeed(float speed) {
  auto a = static_cast<float>(static_cast<double>(speed) * 0.86);
  a = static_cast<float>(a - static_cast<double>(a) * 45 / 100);
  return static_cast<float>(a + static_cast<double>(a) * 30 / 100);
}

ShotResultRecord BuildShotRecord(const ShotRun& run) {
  const CMainCamera& camera = run.camera;
  ShotResultRecord r;
  r.m_clubCode = camera.m_clubCode;
  r.m_clubType = camera.m_clubType;
  r.m_pathClass = camera.m_clubPathClass;
  r.m_HAngle = camera.m_HAngle;
  r.m_VAngle = camera.m_VAngle;
  r.m_speed = camera.m_speed;
  r.m_derivedSpeed = DerivedSpeed(camera.m_speed);
  r.m_backSpin = camera.m_backSpin;
  r.m_sideSpin = camera.m_sideSpin;
  return r;
}

void DeliverShot(ShotRun& run) {
  ShotResultRecord record = BuildShotRecord(run);
  CallCallbacks(run, record);
  if (!IsReportingCamera(run) || clientlink::SharedBlock() == nullptr) return;
  // A client that did not take the record in time may still be reading the block: the flight
  // path must not overwrite it.
  if (!clientlink::SendShotResult(record)) return;
  if (!run.IsPutter()) SendFlightPath(record);
}
