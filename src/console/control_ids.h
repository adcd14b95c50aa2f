// The controls of the sensor's main window by their dialog ids, which are also the widgets'
// object names (so a test finds the FPS read-out as "1004"). Where a control exists once per
// camera, the pair holds the main camera's id first.
#pragma once

#include <QString>

namespace console {

struct CameraIds {
  int fps, ballStatus, status, message;
  int ballDirection, clubArea, lightCheck, gameMode;
  int brightnessLabel, brightness, brightnessSpin, autoBrightnessLabel, autoBrightness;
  int left, right, top, bottom, reset, save, apply, checkLight, viewFront, viewPopup;
  int simulate, simulateText;
};

inline constexpr CameraIds kCameraIds[2] = {
    {1004, 1005, 1027, 1086, 1053, 1072, 1019, 1084, 1058, 1009, 1043, 1060, 1010,
     1024, 1025, 1020, 1033, 1047, 1070, 1013, 1039, 1081, 1082, 1038, 1057},
    {1006, 1063, 1028, 1087, 1064, 1075, 1062, 1085, 1059, 1022, 1051, 1061, 1023,
     1035, 1036, 1034, 1041, 1048, 1071, 1026, 1068, 1088, 1089, 1078, 1079},
};

namespace ids {
inline constexpr int kVersion = 1083;
inline constexpr int kClub = 1017;
inline constexpr int kScanType = 1021;
inline constexpr int kDriverReady = 1029;
inline constexpr int kClubPath = 1076;
inline constexpr int kSpeed = 1014;
inline constexpr int kHAngle = 1015;
inline constexpr int kVAngle = 1016;
inline constexpr int kSideSpin = 1018;
inline constexpr int kBackSpin = 1040;
inline constexpr int kApplyAdjustments = 1105;
inline constexpr int kVAngleAdj = 1109;
inline constexpr int kProcess = 1107;
}  // namespace ids

inline QString IdName(int id) {
  return QString::number(id);
}

}  // namespace console
