// The two simulated overhead cameras: pinhole models looking straight down on the mat.
//
// World frame: millimetres, origin on the mat under the tee ball, x to the right of the picture,
// y towards the target (up the picture), z up. Both cameras hang at the same height with parallel
// axes looking straight down, one each side of the target line through the tee: a rising ball
// drifts sideways in each picture by the same amount in opposite directions, so the difference of
// the two horizontal angles reads the launch angle and their mean reads the direction.
#pragma once

#include "vec3.h"

namespace sim {

inline constexpr int kSensorWidth = 1944;
inline constexpr int kSensorHeight = 1224;
inline constexpr double kCameraHeightMm = 3000.0;
// The sensor's speed and angle rules take 2.07 mm per pixel at a ball lying on the mat and a 2 ms
// frame period: the lens gives that scale at the height of a resting ball's centre.
inline constexpr double kBallScaleMmPerPx = 2.07;
inline constexpr double kFocalPx = (kCameraHeightMm - 42.67 / 2.0) / kBallScaleMmPerPx;
// How far each camera's picture of the tee lies from its sensor centre, in sensor pixels; the
// baseline between the cameras is twice this times height / focal length (about 1126 mm, a little
// over a third of the height), which the sensor's stereo rule reads as the launch angle.
inline constexpr int kStereoShiftPx = 270;
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
