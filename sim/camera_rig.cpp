#include "camera_rig.h"

namespace sim {

bool PinholeCamera::Project(Vec3 p, double& u, double& v) const {
  const double depth = centre.z - p.z;
  if (depth <= 1.0) return false;
  u = cx + focal_px * (p.x - centre.x) / depth;
  v = cy - focal_px * (p.y - centre.y) / depth;
  return true;
}

Vec3 PinholeCamera::Ray(double u, double v) const {
  return {(u - cx) / focal_px, -(v - cy) / focal_px, -1.0};
}

Vec3 PinholeCamera::OnMat(double u, double v) const {
  const Vec3 d = Ray(u, v);
  return centre + d * centre.z;
}

const PinholeCamera& RigCamera(CameraRole role) {
  static const PinholeCamera kMain{
      {-kStereoShiftPx * kCameraHeightMm / kFocalPx, 0.0, kCameraHeightMm}};
  static const PinholeCamera kSide{
      {kStereoShiftPx * kCameraHeightMm / kFocalPx, 0.0, kCameraHeightMm}};
  return role == CameraRole::kMain ? kMain : kSide;
}

SensorPos InstalledCameraPosition(CameraRole role) {
  return {role == CameraRole::kMain ? kStereoShiftPx : -kStereoShiftPx, -kInstalledWindowRaisePx};
}

SensorPos HomeWindowOrigin(CameraRole role) {
  const SensorPos p = InstalledCameraPosition(role);
  return {kSensorWidth / 2 - 160 + p.x, kSensorHeight / 2 - 160 + p.y};
}

}  // namespace sim
