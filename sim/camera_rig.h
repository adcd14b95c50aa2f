// The two simulated overhead cameras: pinhole models looking straight down on the mat.
//
// World frame: millimetres, origin on the mat under the tee ball, x to the right of the picture,
// y towards the target (up the picture), z up. Both cameras hang at the same height with parallel
// axes; the side camera sits beside the main one so that a rising ball drifts sideways in its
// picture, which is what the stereo vertical angle reads.
#pragma once

#include "vec3.h"

namespace sim {

inline constexpr int kSensorWidth = 1944;
inline constexpr int kSensorHeight = 1224;
inline constexpr double kCameraHeightMm = 3000.0;
inline constexpr double kFocalPx = 1490.0;
// Sideways distance of the side camera's picture of the mat, in sensor pixels; its baseline is
// this times height / focal length (about 1431 mm).
inline constexpr int kSideShiftPx = 706;
// The window of both cameras sits 90 rows above the sensor centre so that the tee shows near the
// bottom of the home window, leaving the flight path ahead of it in view.
inline constexpr int kInstalledWindowRaisePx = 90;

enum class CameraRole { kMain = 0, kSide = 1 };

struct SensorPos {
  int x = 0;
  int y = 0;
};

struct PinholeCamera {
  Vec3 centre;
  double focal_px = kFocalPx;
  double cx = kSensorWidth / 2.0;
  double cy = kSensorHeight / 2.0;

  // Sensor coordinates (pixel centres at i + 0.5) of a world point; false at or above the camera.
  bool Project(Vec3 p, double& u, double& v) const;
  // Direction of the viewing ray through sensor coordinates (u, v), not normalised.
  Vec3 Ray(double u, double v) const;
  // The mat point (z = 0) seen at sensor coordinates (u, v).
  Vec3 OnMat(double u, double v) const;
};

const PinholeCamera& RigCamera(CameraRole role);

// cameraPosition of the simulated installation (added to the default window origin).
SensorPos InstalledCameraPosition(CameraRole role);
// Top-left sensor pixel of the 320 x 320 home window of the installation.
SensorPos HomeWindowOrigin(CameraRole role);

}  // namespace sim
