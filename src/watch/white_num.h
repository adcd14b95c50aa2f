// The camera's tuning table: every brightness level, fill percentage, box size and capture-window
// geometry the image tests use. Filled by sensor type when the camera is opened.
#pragma once

#include <cstdint>

struct CWhiteNum {
  int32_t m_defaultExposure = 0;
  int32_t m_defaultGamma = 0;
  int32_t m_ballLevel = 0;
  int32_t m_aroundLevel = 0;
  int32_t m_triggerLevel = 0;
  int32_t m_triggerLevelBunker = 0;
  int32_t m_reserved1 = 0;
  int32_t m_presentLevel = 0;
  int32_t m_edgeLevel = 0;
  int32_t m_shotLevelA = 0;
  int32_t m_shotLevelB = 0;
  int32_t m_reserved2 = 0;
  int32_t m_shotLevelC = 0;
  int32_t m_shotLevelD = 0;
  int32_t m_shotLevelE = 0;
  int32_t m_reserved3 = 0;
  int32_t m_ballPercent = 0;
  int32_t m_aroundPercent = 0;
  int32_t m_triggerPercent = 0;
  int32_t m_triggerPercentBunker = 0;
  int32_t m_presentPercent = 0;
  int32_t m_shotPercentA = 0;
  int32_t m_shotStepA = 0;
  int32_t m_reserved4 = 0;
  int32_t m_reserved5 = 0;
  int32_t m_shotPercentB = 0;
  int32_t m_shotPercentC = 0;
  int32_t m_reserved6 = 0;
  int32_t m_edgePercent = 0;
  int32_t m_edgeOffsetY = 0;
  int32_t m_ballBoxWidth = 0;
  int32_t m_ballBoxHeight = 0;
  int32_t m_ballSizeX = 0;
  int32_t m_ballSizeY = 0;
  int32_t m_shotStepB = 0;
  int32_t m_shotLimitA = 0;
  int32_t m_shotLimitB = 0;
  int32_t m_reserved7 = 0;
  int32_t m_reserved8 = 0;
  int32_t m_width = 0;   // frame width W
  int32_t m_height = 0;  // frame height H
  int32_t m_imageSize = 0;
  int32_t m_startX = 0;  // default capture-window origin on the sensor, before cameraPosition
  int32_t m_startY = 0;
  int32_t m_frameUnit = 0;  // watch counters step by 4 per frame: 404 = 101 frames
  int32_t m_lowFps = 0;     // the analysis refuses shots below this frame rate
  int32_t m_putterCheckWidth = 0;
  int32_t m_putterCheckHeight = 0;

  // Fills the table for sensor type 0 (main), 1 (side) or 2 (check view); other types leave it.
  void Init(int32_t sensorType);
};

static_assert(sizeof(CWhiteNum) == 48 * sizeof(int32_t), "the tuning table holds 48 values");
