// Where the capture window sits on the sensor when it is at home.
#pragma once

#include "camera/main_camera.h"

// The table's default origin moved by the installation's camera position. The settings reader
// keeps the position within kSettingsCoordinateLimit, so this sum, and the centring and shifts
// built on it, stay far inside int32.
inline IntPoint HomeOrigin(const CMainCamera& camera) {
  return IntPoint{camera.m_whiteNum.m_startX + camera.cameraPosition.x,
                  camera.m_whiteNum.m_startY + camera.cameraPosition.y};
}
