// The capture thread of one camera: for every frame it shifts the four-frame history, reads the
// next frame, measures the frame rate and runs one watch step, all without allocating.
#include <sys/syscall.h>
#include <unistd.h>

#include <climits>

#include "VarnokV2.h"
#include "camera/camera_modes.h"
#include "camera/frame_history.h"
#include "camera/main_camera.h"
#include "camera/operator_edits.h"
#include "platform/milli_clock.h"
#include "platform/sleep.h"

namespace {

constexpr int32_t kPausePollMs = 10;
constexpr int32_t kWatchLowFps = -1000;

// How long a read may wait for its frame: twenty times the exposure plus five seconds.
int32_t ReadWaitMs(int32_t cameraIndex) {
  if (cameraIndex == -1) return -1;
  int32_t exposureValue = 0;
  int32_t autoFlag = 0;
  VarnokGetControlValue(cameraIndex, VARNOK_CONTROL_EXPOSURE, &exposureValue, &autoFlag);
  const int64_t wait = static_cast<int64_t>(exposureValue) * 20 + 5000;
  if (wait > INT32_MAX) return INT32_MAX;
  return wait < 0 ? 0 : static_cast<int32_t>(wait);
}

// Milliseconds from start to now on the wrapping 32-bit clock.
int32_t Elapsed(int32_t start, int32_t now) {
  return static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(start));
}

void AddReadTime(CaptureState& state, int32_t t0) {
  const uint32_t now = static_cast<uint32_t>(platform::MilliClock());
  const auto d = static_cast<float>(now - static_cast<uint32_t>(t0));
  if (!(d > 0.0f) || !(1000.0f / d > 0.0f)) return;
  state.m_fpsSum += 1000.0f / d;
  if (++state.m_fpsCount >= kFpsBlockReads) {
    state.m_fpsForFrame2Frame = state.m_fpsSum / static_cast<float>(kFpsBlockReads);
    state.m_fpsSum = 0.0f;
    state.m_fpsCount = 0;
  }
}

void CountDeliveredFrame(CaptureState& state) {
  state.m_frameCount = state.m_frameCount + 1;
  const int32_t now = platform::MilliClock();
  if (state.m_secondStart == 0) {
    state.m_secondStart = now;
  } else if (Elapsed(state.m_secondStart, now) >= 1000) {
    state.m_secondStart = now;
    state.m_framesLastSecond = static_cast<int32_t>(state.m_frameCount);
    state.m_frameCount = 0;
  }
}

}  // namespace

void CMainCamera::CaptureThreadBody() {
  m_capture.m_threadId = static_cast<uint32_t>(syscall(SYS_gettid));
  while (m_capture.m_run) {
    if (!CaptureOnePass()) break;
  }
  if (m_capture.m_capture) {
    VarnokCloseCamera(m_capture.m_cameraIndex);
    m_capture.m_capture = 0;
  }
}

bool CMainCamera::CaptureOnePass() {
  CaptureState& state = m_capture;
  if (!state.m_capture) return true;
  if (state.m_pause) {
    // Another window has the camera: no camera calls until it hands it back.
    platform::SleepMs(kPausePollMs);
    return true;
  }

  ShiftFrameHistory(m_buffers);

  if (!state.m_run) return false;
  if (!state.m_capture) return true;

  // The first read of a run may go untimed: the clock is probed by its first use.
  const bool timed = platform::MilliClockMode() == platform::CLOCK_FINE;
  const int32_t t0 = timed ? platform::MilliClock() : 0;
  const int32_t id = state.m_cameraIndex;
  const int32_t result =
      VarnokGetVideoData(id, m_buffers.live.get(), m_buffers.imageSize, ReadWaitMs(id));
  if (platform::MilliClockMode() != platform::CLOCK_FINE) {
    state.m_fpsForFrame2Frame = 0.0f;
  } else if (timed) {
    AddReadTime(state, t0);
  }

  if (!state.m_run) return false;
  if (!state.m_capture) return true;

  if (result != 0) {
    CameraError(kCameraErrorRead);
    NotifyNotReady();
    return true;
  }
  ApplyRequestedCameraMode(*this);
  ApplyRequestedEdits(*this);
  if (WatchFrame() == kWatchLowFps) {
    NotifyNotReady();
    state.m_statusCode = kCaptureStatusLowFps;
    CameraError(kCameraErrorFps);
    return true;
  }
  m_view.PublishIfWanted(*this);
  CountDeliveredFrame(state);
  return true;
}
