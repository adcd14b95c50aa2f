// The simulated installation as an installer would set it up: club areas round the balls in each
// camera's home window, light-check points on the grey circles, the four direction markers found
// on the painted lines, and the meter and tee widths the console's "save" derives from them.
#pragma once

#include <string>

#include "camera_rig.h"

namespace sim {

struct WindowRect {
  int x = 0, y = 0, width = 0, height = 0;
};

// The installer's adjustment values of one camera's settings file.
struct Adjustments {
  double shot_angle = 0, angle = 0, angle_putter = 0;                         // [HAngleAdj]
  double driver_multi = 0, iron_multi = 0, driver_plus = 0, iron_plus = 3.0;  // [VAngleAdj]
  double speed = 0, speed_putting = 0;                                        // [SpeedAdj] percent
  double spin = 0, spin_slice = 0, spin_plus = 0;                             // [SideSpinAdj]
  int second_image_for_side_spin = 2;
  double back_spin = 0;  // [BackSpinAdj] percent
};

struct CameraInstallation {
  WindowRect areas[5];       // driver, iron, rough, bunker, putter: the spots' order
  WindowRect mat_points[4];  // light-check boxes, 22 x 22
  WindowRect markers[4];     // left, top, right, bottom, 22 x 22
  SensorPos camera_position;
  int meter = 67;
  double zero_angle = 0;
  double left_width = 0, right_width = 0;
  Adjustments adjust;  // the values a new installation starts with
};

// Derives the installation of one camera from rendered frames of its home window.
CameraInstallation InstallCamera(CameraRole role);

// The adjustments an installer sets on this bay after comparing its shots with a reference
// launch monitor (the shot sessions and figures are in the README); the same for both cameras.
Adjustments BayCalibration(CameraRole role);
// The installation with the bay's calibration.
CameraInstallation CalibratedInstallation(CameraRole role);

// The camera's settings file ("setting_top.ini" or "setting_top_side.ini"), CRLF line ends.
std::string SettingsFileText(const CameraInstallation& inst);

// The speed percentages by launch angle of the bay ("vangle_adj.ini"), CRLF line ends.
inline constexpr const char* kVAngleAdjFileName = "vangle_adj.ini";
std::string VAngleAdjFileText();
const char* SettingsFileName(CameraRole role);

// Where the ball of a spot appears in the home window: centre (x, y) in window pixels.
void BallInHomeWindow(CameraRole role, int spot, double& x, double& y);

}  // namespace sim
