#include "analysis/side_camera_wait.h"

#include "analysis/shot_frames.h"
#include "analysis/shot_run.h"

Step WaitForSideCamera(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const int32_t passes = camera.m_whiteNum.m_frameUnit / 2;
  for (int32_t pass = 0; pass < passes; ++pass) {
    if (run.IsPutter()) {
      if (run.track.handedness == HAND_RIGHT) {
        run.Log("-> Putting - Right Hands Use Cam2 - HAngleTopSide : %f, speedTopSide : %f <-\n",
                static_cast<double>(kNotMeasured), static_cast<double>(kNotMeasured));
        return run.End(ANALYSIS_NO_SHOT, "---");
      }
      if (run.track.handedness == HAND_LEFT) break;
    }
    if (camera.m_capture.m_capture && !camera.m_capture.m_pause) {
      if (ReadAndDropFrame(camera) != 0) camera.CameraError(kCameraErrorRead);
    }
    if (TopSideResult().TryTake(&run.fromSide)) break;
  }
  return Step::kGoOn;
}
