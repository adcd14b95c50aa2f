#include "watch/white_num.h"

#include <gtest/gtest.h>

TEST(WhiteNum, GeometryFollowsTheSensorTypeAndUnknownTypesLeaveTheTable) {
  struct Case {
    int32_t sensorType;
    int32_t side;
    int32_t startX;
    int32_t startY;
  };
  for (const Case c : {Case{0, 320, 812, 452}, Case{1, 320, 812, 452}, Case{2, 480, 732, 372}}) {
    CWhiteNum t;
    t.Init(c.sensorType);
    EXPECT_EQ(t.m_width, c.side);
    EXPECT_EQ(t.m_height, c.side);
    EXPECT_EQ(t.m_imageSize, c.side * c.side);
    EXPECT_EQ(t.m_startX, c.startX);
    EXPECT_EQ(t.m_startY, c.startY);
    EXPECT_EQ(t.m_ballLevel, 110);
    EXPECT_EQ(t.m_frameUnit, 404);
    EXPECT_EQ(t.m_putterCheckHeight, 140);
  }
  CWhiteNum t;
  t.Init(0);
  t.Init(3);
  EXPECT_EQ(t.m_width, 320);
  t.Init(-1);
  EXPECT_EQ(t.m_presentLevel, 160);
}
