// The four operator modes of a camera (light check, ball direction, club area, game) and what
// switching between them does to the camera. The console's check boxes and the client's club
// selection both come through here.
#pragma once

#include "camera/main_camera.h"

enum class CameraMode : int32_t { LightCheck, BallDirection, ClubArea, Game };

// Switches at once, on the calling thread: for a camera that is not capturing, or on its own
// capture thread. Sets the camera's mode flags, drops point picks, re-reads the settings (edits not
// saved are lost), lays the zig points out on their grid except for ball direction, re-applies the
// gain of an opened camera, and sends the capture window home if it was raised for the front view.
void SelectCameraMode(CMainCamera& camera, CameraMode mode);

// From any other thread: a capturing camera switches on its capture thread before its next watch
// step; this waits a little for that, and leaves the request pending if the thread is busy (a
// shot analysis). A camera that is not capturing switches at once.
void RequestCameraMode(CMainCamera& camera, CameraMode mode);

// Run by the capture thread once per frame: carries out a pending request.
void ApplyRequestedCameraMode(CMainCamera& camera);
