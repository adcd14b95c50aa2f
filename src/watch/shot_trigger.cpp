// The strike and what follows it. Runs on the capture thread, which the analysis blocks.
#include "watch/shot_trigger.h"

#include <cstring>

#include "camera/main_camera.h"
#include "platform/debug_output.h"

namespace {

void ResetCounters(WatchState& w) {
  w.m_foundCount = 0;
  w.m_lostCount = 0;
}

}  // namespace

int32_t FireShot(CMainCamera& camera) {
  WatchState& w = camera.m_watch;
  w.m_analysing = 1;
  const int32_t outcome = camera.AnalyseShot();
  w.m_analysing = 0;

  int32_t result = 1;
  switch (outcome) {
    case ANALYSIS_DELIVERED:
      platform::OutputDebugStringA("-> 공이 날라갔다. <-\n");
      w.m_ballState = BALL_SHOT;
      ResetCounters(w);
      break;
    case ANALYSIS_EMPTY_SWING:
      // The ball is still there: stay ready, so a still hidden ball fires again next frame.
      platform::OutputDebugStringA("-> 빈스윙 이거나 빛이 깜박였다. <-\n");
      break;
    case ANALYSIS_LOW_FPS:
      platform::OutputDebugStringA("-> LOW FPS <-\n");
      w.m_ballState = BALL_EMPTY;
      ResetCounters(w);
      result = ANALYSIS_LOW_FPS;
      break;
    default:
      platform::OutputDebugStringA("-> 공이 안보인다. <-\n");
      w.m_ballState = BALL_EMPTY;
      ResetCounters(w);
      break;
  }
  // The shot's frames must not be taken for the next ball.
  camera.ClearFrames();
  return result;
}

void CMainCamera::ClearFrames() {
  if (!m_buffers.Allocated()) return;
  const auto bytes = static_cast<size_t>(m_buffers.imageSize);
  std::memset(m_buffers.live.get(), 0, bytes);
  std::memset(m_buffers.shotStore.get(), 0, bytes * kShotStoreFrames);
  for (auto& frame : m_buffers.work) std::memset(frame.get(), 0, bytes);
}
