// Per-frame ball records of the shot analysis and the light-check result of one box.
#pragma once

#include <cstdint>

#include "platform/relaxed.h"
#include "watch/rect.h"

// 1000 is the sensor-wide value for "not measured".
inline constexpr float kNotMeasured = 1000.0f;
inline constexpr int32_t kNotMeasuredInt = 1000;

struct CBall {
  CRectT m_rect;
  float m_speed = kNotMeasured;
  float m_VAngle = kNotMeasured;
  float m_HAngle = kNotMeasured;
};

struct CBalls {
  CRectT m_firstBall;
  CRectT m_secondBall;
  CBall m_ball;
};

// Measured by the capture thread every frame in light-check mode while the console's light-check
// ramp reads the pass flags, so each field is a relaxed atomic.
struct CCheckLight {
  platform::Relaxed<int32_t> m_percent = 0;  // bright pixels x 100 / (22 x 22), truncated
  platform::Relaxed<uint8_t> m_pass = 0;     // more than 58 % of the 22 x 22 box is bright
  platform::Relaxed<uint8_t> m_shown =
      1;  // drawn by the views; the layout clears it for zig points
};
