#include "analysis/frame_rate_check.h"

#include "analysis/shot_run.h"

Step CheckFrameRate(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const float fps = camera.m_capture.m_fpsForFrame2Frame;
  if (!(fps > 0 && fps < static_cast<float>(camera.m_whiteNum.m_lowFps))) return Step::kGoOn;
  run.Log("-> m_fpsForFrame2Frame : %f <-\n", static_cast<double>(fps));
  if (++camera.m_analysis.lowFpsCount >= kLowFpsRefusals) {
    camera.m_analysis.lowFpsCount = 0;
    return run.End(ANALYSIS_LOW_FPS, "(fps)---");
  }
  return run.End(ANALYSIS_NO_SHOT, "(fps)---");
}
