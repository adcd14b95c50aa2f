#include "watch/white_num.h"

void CWhiteNum::Init(int32_t sensorType) {
  if (sensorType < 0 || sensorType > 2) return;

  m_defaultExposure = 1000;
  m_defaultGamma = 0;
  m_ballLevel = 110;
  m_aroundLevel = 100;
  m_triggerLevel = 150;
  m_triggerLevelBunker = 160;
  m_reserved1 = 110;
  m_presentLevel = 160;
  m_edgeLevel = 120;
  m_shotLevelA = 150;
  m_shotLevelB = 120;
  m_reserved2 = 120;
  m_shotLevelC = 60;
  m_shotLevelD = 130;
  m_shotLevelE = 130;
  m_reserved3 = 90;
  m_ballPercent = 70;
  m_aroundPercent = 20;
  m_triggerPercent = 8;
  m_triggerPercentBunker = 8;
  m_presentPercent = 70;
  m_shotPercentA = 70;
  m_shotStepA = 4;
  m_reserved4 = 8;
  m_reserved5 = 10;
  m_shotPercentB = 70;
  m_shotPercentC = 70;
  m_reserved6 = 3;
  m_edgePercent = 50;
  m_edgeOffsetY = 6;
  m_ballBoxWidth = 17;
  m_ballBoxHeight = 17;
  m_ballSizeX = 22;
  m_ballSizeY = 22;
  m_shotStepB = 4;
  m_shotLimitA = 66;
  m_shotLimitB = 66;
  m_reserved7 = 28;
  m_reserved8 = 23;

  // The check view opens a larger window than the two game cameras.
  const int32_t side = sensorType == 2 ? 480 : 320;
  m_width = side;
  m_height = side;
  m_imageSize = m_width * m_height;
  m_startX = 972 - m_width / 2;
  m_startY = 612 - m_height / 2;
  m_frameUnit = 404;
  m_lowFps = 380;
  m_putterCheckWidth = 100;
  m_putterCheckHeight = 140;
}
