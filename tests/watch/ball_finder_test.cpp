#include <gtest/gtest.h>

#include "support/camera_fixture.h"

namespace {

constexpr uint8_t kBall = 200;
constexpr CRectT kFarAway{250, 10, 40, 40, 0};  // a driver area nowhere near the test's ball

class BallFinder : public ::testing::Test {
 protected:
  CameraOnFrame bay;
  CMainCamera& cam = bay.camera;

  void SetUp() override { cam.m_areas.driverArea = kFarAway; }

  // Puts the area of the given club at rect and makes it the current club.
  void UseClub(int32_t clubType, const CRectT& rect) {
    cam.m_clubType = clubType;
    CRectT* areas[] = {&cam.m_areas.driverArea, &cam.m_areas.ironArea, &cam.m_areas.putterArea,
                       &cam.m_areas.ironArea_Rough, &cam.m_areas.ironArea_Bunker};
    *areas[clubType] = rect;
  }

  void DrawBall(int32_t x, int32_t y, uint8_t value = kBall) {
    bay.frame.Fill(x, y, 17, 17, value);
    bay.Show();
  }
};

// A 17-pixel square at (100, 200) is first filled on the 4-pixel grid at (100, 196); the edge
// probes then find the dark mat 3 columns left of it and 21 columns right of the new left edge.
TEST_F(BallFinder, FindsALoneBallAndLaysOutTheWatchRectangles) {
  UseClub(CLUB_IRON, MakeRect(40, 148, 200, 100));
  DrawBall(100, 200);
  ASSERT_TRUE(cam.FindBall());
  EXPECT_EQ(cam.m_foundBallArea, MakeRect(97, 196, 21, 17));
  EXPECT_EQ(cam.m_triggerArea, MakeRect(77, 152, 60, 40));
  EXPECT_EQ(cam.m_ballCheckArea, MakeRect(40, 64, 240, 128));
}

TEST_F(BallFinder, BallCheckAreaFollowsTheClub) {
  struct Case {
    int32_t club;
    CRectT expected;
  };
  const Case cases[] = {
      {CLUB_DRIVER, MakeRect(40, 0, 240, 192)},
      {CLUB_IRON, MakeRect(40, 64, 240, 128)},
      {CLUB_ROUGH, MakeRect(40, 64, 240, 128)},
      {CLUB_PUTTER, MakeRect(55, 52, 100, 140)},
  };
  DrawBall(100, 200);
  for (const Case& c : cases) {
    SetUp();
    UseClub(c.club, MakeRect(40, 148, 200, 100));
    ASSERT_TRUE(cam.FindBall()) << "club " << c.club;
    EXPECT_EQ(cam.m_ballCheckArea, c.expected) << "club " << c.club;
  }
}

TEST_F(BallFinder, TriggerStripAtTheTopEdgeIsMovedDownNotShortened) {
  UseClub(CLUB_DRIVER, MakeRect(100, 0, 100, 60));
  DrawBall(120, 20);
  // Moved down, the strip covers the ball itself, so the ball is refused; the search-rectangle
  // form keeps the strip it built.
  const CRectT search = MakeRect(100, 0, 100, 60);
  EXPECT_FALSE(cam.FindBall(&search));
  EXPECT_EQ(cam.m_foundBallArea.m_y, 16);
  EXPECT_EQ(cam.m_triggerArea.m_y, 0);
  EXPECT_EQ(cam.m_triggerArea.m_height, 40);
}

TEST_F(BallFinder, BunkerAcceptsTheFirstFilledCoreInBrightSand) {
  const CRectT bunker = MakeRect(60, 200, 120, 80);
  bay.frame.Fill(bunker, 130);  // above the ball level, below the bunker trigger level
  bay.Show();
  UseClub(CLUB_BUNKER, bunker);
  ASSERT_TRUE(cam.FindBall());
  EXPECT_EQ(cam.m_foundBallArea, MakeRect(60, 200, 17, 17));
  EXPECT_EQ(cam.m_ballCheckArea, MakeRect(40, 52, 240, 200 - 22 - 52));

  UseClub(CLUB_ROUGH, bunker);  // outside the bunker the bright neighbours rule it out
  EXPECT_FALSE(cam.FindBall());
}

TEST_F(BallFinder, FirstDarkRightProbeGivesWidthFive) {
  UseClub(CLUB_IRON, MakeRect(40, 148, 200, 100));
  DrawBall(100, 200, 115);  // bright enough for the core, too dim for every edge probe
  ASSERT_TRUE(cam.FindBall());
  EXPECT_EQ(cam.m_foundBallArea.m_x, 100);
  EXPECT_EQ(cam.m_foundBallArea.m_width, 5);
}

TEST_F(BallFinder, ABallOnTheTeeIsNeverReportedForTheOtherAreas) {
  const CRectT overlapping = MakeRect(60, 60, 160, 160);
  DrawBall(120, 120);
  for (int32_t club : {CLUB_IRON, CLUB_PUTTER, CLUB_ROUGH, CLUB_BUNKER}) {
    cam.m_areas.driverArea = MakeRect(100, 100, 60, 60);
    UseClub(club, overlapping);
    EXPECT_FALSE(cam.FindBall()) << "club " << club;
  }
  UseClub(CLUB_DRIVER, MakeRect(100, 100, 60, 60));
  EXPECT_TRUE(cam.FindBall());
}

TEST_F(BallFinder, FailureZeroesTheResultsOnlyInTheWatchForm) {
  UseClub(CLUB_IRON, MakeRect(40, 148, 200, 100));
  bay.Show();  // empty mat
  const CRectT stale = MakeRect(1, 2, 3, 4);
  cam.m_foundBallArea = cam.m_triggerArea = cam.m_ballCheckArea = stale;
  const CRectT search = MakeRect(40, 148, 200, 100);
  EXPECT_FALSE(cam.FindBall(&search));
  EXPECT_EQ(cam.m_foundBallArea, stale);
  EXPECT_EQ(cam.m_triggerArea, stale);

  EXPECT_FALSE(cam.FindBall());
  EXPECT_EQ(cam.m_foundBallArea, CRectT{});
  EXPECT_EQ(cam.m_triggerArea, CRectT{});
  EXPECT_EQ(cam.m_ballCheckArea, CRectT{});
}

TEST_F(BallFinder, SomethingBrightInTheBallsPathRejectsIt) {
  UseClub(CLUB_IRON, MakeRect(40, 148, 200, 100));
  DrawBall(100, 200);
  bay.frame.Fill(80, 160, 50, 4, 255);  // 200 bright pixels inside the trigger strip
  bay.Show();
  const CRectT search = MakeRect(40, 180, 200, 70);
  EXPECT_FALSE(cam.FindBall(&search));
  // With a search rectangle the values of the rejected ball stay.
  EXPECT_EQ(cam.m_foundBallArea, MakeRect(97, 196, 21, 17));

  CRectT out;
  EXPECT_TRUE(cam.FindBall(&search, nullptr, &out)) << "the analysis form runs no trigger test";
  EXPECT_EQ(out, MakeRect(97, 196, 21, 17));
}

TEST_F(BallFinder, AfterCentringTheBallMustBeWhereTheWindowPutIt) {
  cam.m_windowMoved = true;
  cam.m_clubType = CLUB_IRON;
  cam.m_areas.ironAreaShifted = MakeRect(40, 180, 240, 120);
  DrawBall(160, 244);  // first filled at (160, 240): column W/2, row H - 80
  EXPECT_TRUE(cam.FindBall());

  bay.frame.Fill(MakeRect(0, 0, 320, 320), 0);
  DrawBall(220, 244);
  EXPECT_FALSE(cam.FindBall());
}

TEST_F(BallFinder, IsBallAtTakesTheCentreRowFromTheWidth) {
  // Blob 20 wide and 17 high at y = 100: centre (110, 110), not row 108.
  const CRectT blob = MakeRect(100, 100, 20, 17);
  bay.frame.Fill(107, 107, 6, 6, 200);
  bay.Show();
  EXPECT_TRUE(cam.IsBallAt(&blob, 3, 3));
  bay.frame.Fill(MakeRect(0, 0, 320, 320), 0);
  bay.frame.Fill(107, 105, 6, 6, 200);  // where a height-based centre would look
  bay.Show();
  EXPECT_FALSE(cam.IsBallAt(&blob, 3, 3));
}

TEST_F(BallFinder, TriggerFiresAboveEightPercentAndClampsTheCamerasStrip) {
  cam.m_triggerArea = MakeRect(-10, 100, 60, 40);
  bay.frame.Fill(0, 100, 60, 3, 151);  // 180
  bay.frame.Fill(0, 103, 12, 1, 151);  // 192: not yet more than 8 % of 2400
  bay.Show();
  EXPECT_FALSE(cam.IsTriggered(nullptr, CLUB_IRON));
  EXPECT_EQ(cam.m_triggerArea, MakeRect(0, 100, 60, 40));
  bay.frame.Fill(12, 103, 1, 1, 151);  // 193
  bay.Show();
  EXPECT_TRUE(cam.IsTriggered(nullptr, CLUB_IRON));
  EXPECT_FALSE(cam.IsTriggered(nullptr, CLUB_BUNKER)) << "the bunker needs brighter than 160";
}

TEST_F(BallFinder, AreaHasBallRejectsSunlightAndUsesTheTestedClubsExclusion) {
  cam.m_clubType = CLUB_DRIVER;
  cam.m_areas.ironArea = MakeRect(40, 148, 200, 100);
  DrawBall(100, 200);
  EXPECT_TRUE(cam.AreaHasBall(CLUB_IRON));
  EXPECT_EQ(cam.m_foundBallArea, CRectT{}) << "occupancy changes no camera field";

  cam.m_areas.driverArea = MakeRect(90, 190, 40, 40);
  EXPECT_FALSE(cam.AreaHasBall(CLUB_IRON));
  EXPECT_TRUE(cam.AreaHasBall(CLUB_DRIVER));
  cam.m_areas.driverArea = kFarAway;

  bay.frame.Fill(150, 150, 40, 26, 120);  // 1040 bright pixels: more than three balls' worth
  bay.Show();
  EXPECT_FALSE(cam.AreaHasBall(CLUB_IRON));
}

}  // namespace
