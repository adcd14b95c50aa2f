// Capture state of one camera: flags and counters shared between its capture thread and the
// user-interface thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/relaxed.h"

// Capture status codes.
inline constexpr int32_t kCaptureStatusOk = 0;
inline constexpr int32_t kCaptureStatusLowFps = 9;  // the watch reported a frame rate too low

// How many timed reads make one published frame-rate figure.
inline constexpr int32_t kFpsBlockReads = 200;

inline constexpr int32_t kNoModeRequest = -1;

struct CaptureState {
  std::thread m_thread;                        // the capture thread, started by open
  platform::Relaxed<uint32_t> m_threadId = 0;  // kernel id, written by the thread itself

  platform::Relaxed<uint8_t> m_run = 1;           // the capture thread loops while set
  platform::Relaxed<int32_t> m_cameraIndex = -1;  // camera library id, -1 when none was found
  platform::Relaxed<uint8_t> m_capture = 0;       // camera open and streaming
  platform::Relaxed<uint8_t> m_pause = 0;         // another window has taken the camera
  platform::Relaxed<int32_t> m_statusCode = kCaptureStatusOk;

  // Frames delivered to the watch, counted per second of the millisecond clock.
  platform::Relaxed<int32_t> m_frameCount = 0;
  platform::Relaxed<int32_t> m_secondStart = 0;
  platform::Relaxed<int32_t> m_framesLastSecond = 0;

  // An operator mode another thread asked for (a CameraMode value), or kNoModeRequest. The
  // capture thread switches itself, so the settings it works from never change under it. Release
  // and acquire hand the camera's fields over with the request and back with its completion.
  std::atomic<int32_t> m_requestedMode{kNoModeRequest};

  // Average of 1000 / (ms spent in one frame read) over the last block of timed reads.
  platform::Relaxed<float> m_fpsForFrame2Frame = 0.0f;
  // The running block; only the capture thread touches these.
  float m_fpsSum = 0.0f;
  int32_t m_fpsCount = 0;
};

// Reasons of the camera error procedure.
inline constexpr int32_t kCameraErrorRead = 0;  // a frame read failed
inline constexpr int32_t kCameraErrorFps = 1;   // the frame rate is too low for shots
