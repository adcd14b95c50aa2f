// The shot analysis run. Until the analysis stages exist, every strike ends as "no shot", which
// sends the watch back to an empty mat.
#include "camera/main_camera.h"

int32_t CMainCamera::AnalyseShot() {
  return ANALYSIS_NO_SHOT;
}
