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

struct CameraInstallation {
  WindowRect areas[5];       // driver, iron, rough, bunker, putter: the spots' order
  WindowRect mat_points[4];  // light-check boxes, 22 x 22
  WindowRect markers[4];     // left, top, right, bottom, 22 x 22
  SensorPos camera_position;
  int meter = 67;
  double zero_angle = 0;
  double left_width = 0, right_width = 0;
};

// Derives the installation of one camera from rendered frames of its home window.
CameraInstallation InstallCamera(CameraRole role);

// The camera's settings file ("setting_top.ini" or "setting_top_side.ini"), CRLF line ends.
std::string SettingsFileText(const CameraInstallation& inst);
const char* SettingsFileName(CameraRole role);

// Where the ball of a spot appears in the home window: centre (x, y) in window pixels.
void BallInHomeWindow(CameraRole role, int spot, double& x, double& y);

}  // namespace sim
