// Temporary bodies until the capture and brightness code lands; each is removed with its real one.
#include "camera/main_camera.h"

void CMainCamera::CentreWindowOnBall() {}
void CMainCamera::ReturnWindowHome() {}
void CMainCamera::RaiseWindow() {}
void CMainCamera::ApplyGain(int32_t value) {
  gain = value;
}
void CMainCamera::MeasureLight() {}
