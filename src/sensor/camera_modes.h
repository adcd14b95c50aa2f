// The four operator modes of a camera (light check, ball direction, club area, game) and what
// switching between them does to the camera. The console's check boxes and the client's club
// selection both come through here.
#pragma once

#include "camera/main_camera.h"

enum class CameraMode { LightCheck, BallDirection, ClubArea, Game };

// Sets the camera's mode flags, drops point picks, re-reads the settings (edits not saved are
// lost), lays the zig points out on their grid except for ball direction, re-applies the gain of
// an opened camera, and sends the capture window home if it was raised for the front view.
void SelectCameraMode(CMainCamera& camera, CameraMode mode);
