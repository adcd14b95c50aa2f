// Temporary bodies until the watch lands; each is removed with its real one.
#include "camera/main_camera.h"

int32_t CMainCamera::WatchFrame() {
  return 0;
}
void CMainCamera::NotifyNotReady() {}
