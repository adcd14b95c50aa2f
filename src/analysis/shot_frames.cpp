#include "analysis/shot_frames.h"

#include <climits>
#include <cstring>

#include "VarnokV2.h"
#include "analysis/shot_frame_source.h"
#include "analysis/shot_run.h"

namespace {

int32_t AnalysisWaitMs(int32_t cameraIndex) {
  if (cameraIndex == -1) return -1;
  int32_t exposureValue = 0;
  int32_t autoFlag = 0;
  VarnokGetControlValue(cameraIndex, VARNOK_CONTROL_EXPOSURE, &exposureValue, &autoFlag);
  const int64_t wait = (int64_t{exposureValue} * 2 + 500) * 10;
  if (wait > INT32_MAX) return INT32_MAX;
  return wait < 0 ? 0 : static_cast<int32_t>(wait);
}

}  // namespace

int32_t ReadAndDropFrame(CMainCamera& camera) {
  if (ShotFrameSource* source = camera.m_analysis.frameSource) return source->PassFrame();
  FrameBuffers& buffers = camera.m_buffers;
  return ReadAnalysisFrame(camera, buffers.spare ? buffers.spare.get() : buffers.live.get());
}

int32_t ReadAnalysisFrame(CMainCamera& camera, uint8_t* buffer) {
  if (ShotFrameSource* source = camera.m_analysis.frameSource) {
    return source->ReadShotFrame(buffer, camera.m_buffers.imageSize);
  }
  const int32_t id = camera.m_capture.m_cameraIndex;
  return VarnokGetVideoData(id, buffer, camera.m_buffers.imageSize, AnalysisWaitMs(id));
}

Step ReadShotFrames(ShotRun& run) {
  CMainCamera& camera = run.camera;
  for (int32_t i = 1; i < run.frameCount; ++i) {
    if (run.IsPutter()) {
      // A putt is slow: every second camera frame is enough, and it doubles the track's reach.
      if (camera.m_capture.m_pause) return run.End(ANALYSIS_NO_SHOT, "---");
      if (camera.m_capture.m_capture) ReadAndDropFrame(camera);
    }
    if (ReadAnalysisFrame(camera, run.ShotFrame(i)) != 0) {
      run.frameReadFailed = true;
      return run.End(ANALYSIS_NO_SHOT, "---");
    }
  }
  std::memcpy(run.ShotFrame(0), camera.LiveFrame(), static_cast<size_t>(run.W) * run.H);
  return Step::kGoOn;
}
