// A game camera with its tables filled and its buffers allocated, and a frame to draw into that
// becomes the live frame on Show().
#pragma once

#include <cstring>

#include "camera/main_camera.h"
#include "support/frame_drawing.h"

struct CameraOnFrame {
  CMainCamera camera;
  TestFrame frame;

  explicit CameraOnFrame(int32_t sensorType = SENSOR_MAIN) : frame(1, 1) {
    camera.SensorType = sensorType;
    camera.m_whiteNum.Init(sensorType);
    camera.m_buffers.Allocate(camera.m_whiteNum.m_width, camera.m_whiteNum.m_height);
    frame = TestFrame(camera.FrameWidth(), camera.FrameHeight());
  }

  void Show() { std::memcpy(camera.m_buffers.live.get(), frame.data(), frame.pixels.size()); }
};
