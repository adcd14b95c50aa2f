#include "camera/main_camera.h"

CMainCamera::CMainCamera() = default;
// The capture thread works on this object; it must be gone before the members are.
CMainCamera::~CMainCamera() {
  EndCaptureThread();
}
