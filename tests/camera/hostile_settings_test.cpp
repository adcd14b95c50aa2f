// Hostile settings files through the steps a camera runs on them: the read at open, the watch
// that centres and returns the window over a drawn ball, the club-area classification and the
// light check. Run under the sanitizers, any sum that wraps ends the test.
#include <gtest/gtest.h>

#include "camera/main_camera.h"
#include "camera/window_origin.h"
#include "hostile_settings.h"
#include "support/camera_fixture.h"
#include "support/temp_dir.h"

namespace {

constexpr CRectT kBall{100, 200, 17, 17, 0};  // away from where centring puts a ball

CRectT Extent(const CRectT& r) {
  return MakeRect(r.m_x, r.m_y, r.m_width, r.m_height);
}

// A camera read from the case's file as open reads it, streaming as far as the window moves care,
// with a ball in front of it.
struct HostileBay {
  test_support::TempDir dir;
  CameraOnFrame bay{SENSOR_MAIN};
  CMainCamera& camera = bay.camera;

  explicit HostileBay(const hostile::Case& c) {
    test_support::WriteBytes(dir.File("setting_top.ini"), c.file);
    camera.SetSettingsLocation(dir.path().c_str(), "setting_top.ini");
    camera.ReadSettings();
    camera.LayOutLightCheckPoints(true);
    camera.m_capture.m_cameraIndex = 0;
    camera.m_capture.m_capture = 1;
    camera.m_clubType = c.clubType;
    bay.frame.Fill(kBall, 200);
    bay.Show();
  }
};

void ExpectReadAsTheCaseSays(const CMainCamera& camera, const hostile::Case& c) {
  EXPECT_EQ(camera.cameraPosition.x, c.position.x);
  EXPECT_EQ(camera.cameraPosition.y, c.position.y);
  EXPECT_EQ(camera.m_areas.driverArea, c.driver);
  EXPECT_EQ(hostile::AreaOf(camera, c.clubType), c.club);
  EXPECT_EQ(Extent(camera.m_matPoints[0]), c.matPoint0);
}

TEST(HostileSettings, ReadClampsAndTheClampedValuesAreWhatIsWrittenBack) {
  for (const hostile::Case& c : hostile::kCases) {
    SCOPED_TRACE(c.name);
    HostileBay bay(c);
    ExpectReadAsTheCaseSays(bay.camera, c);
    const IntPoint home = HomeOrigin(bay.camera);
    EXPECT_EQ(home.x, 972 - 160 + c.position.x);
    EXPECT_EQ(home.y, 612 - 160 + c.position.y);

    bay.camera.WriteSettings();
    CMainCamera again;
    again.m_whiteNum.Init(SENSOR_MAIN);
    again.SetSettingsLocation(bay.dir.path().c_str(), "setting_top.ini");
    again.ReadSettings();
    ExpectReadAsTheCaseSays(again, c);
  }
}

TEST(HostileSettings, WatchCentresAndReturnsTheWindowWithShiftsThatDoNotWrap) {
  for (const hostile::Case& c : hostile::kCases) {
    SCOPED_TRACE(c.name);
    HostileBay bay(c);
    CMainCamera& camera = bay.camera;
    const int32_t centredRow = 320 - (c.clubType == CLUB_BUNKER ? 30 : 80);
    int centrings = 0;
    int returns = 0;
    bool moved = false;
    // 51 frames to centre, 51 without the ball at the centred spot to return, and again.
    for (int frame = 0; frame < 200; ++frame) {
      ASSERT_EQ(camera.WatchFrame(), 1);
      if (moved != camera.m_windowMoved) ++(moved ? returns : centrings);
      moved = camera.m_windowMoved;
      if (!moved) continue;
      if (camera.m_foundBallArea.m_width > 0) {
        // The frame that centred: the found ball's corner goes to mid column, near the bottom.
        ASSERT_EQ(camera.m_windowShiftX, 160 - camera.m_foundBallArea.m_x);
        ASSERT_EQ(camera.m_windowShiftY, centredRow - camera.m_foundBallArea.m_y);
      }
      const CRectT area = hostile::AreaOf(camera, c.clubType);
      const CRectT shifted = camera.GetClubArea(c.clubType);
      ASSERT_EQ(shifted, MakeRect(area.m_x + camera.m_windowShiftX,
                                  area.m_y + camera.m_windowShiftY, area.m_width, area.m_height));
    }
    EXPECT_EQ(centrings, 2);
    EXPECT_EQ(returns, 1);
    // The ball never lay where centring put it, so it was never ready.
    EXPECT_NE(camera.m_watch.m_ballState, BALL_READY);
  }
}

TEST(HostileSettings, ClassificationStillFindsTheAreaTheBallLiesIn) {
  for (const hostile::Case& c : hostile::kCases) {
    if (c.clubType == CLUB_PUTTER) continue;  // the putter is chosen, never found
    SCOPED_TRACE(c.name);
    HostileBay bay(c);
    CMainCamera& camera = bay.camera;
    camera.m_clubType = CLUB_DRIVER;
    camera.StartClassification(1);
    // Nothing is decided before the 121st frame.
    for (int frame = 0; frame < 125; ++frame) camera.WatchFrame();
    EXPECT_EQ(camera.m_watch.m_classifyCount, kClassificationDecided);
    EXPECT_EQ(camera.m_clubType, c.clubType);
  }
}

TEST(HostileSettings, LightCheckMeasuresEveryPointInsideTheWindow) {
  for (const hostile::Case& c : hostile::kCases) {
    SCOPED_TRACE(c.name);
    HostileBay bay(c);
    CMainCamera& camera = bay.camera;
    camera.m_lightCheckMode = 1;
    ASSERT_EQ(camera.WatchFrame(), 1);
    for (const CCheckLight& check : camera.m_matCheck) {
      EXPECT_GE(check.m_percent, 0);
      EXPECT_LE(check.m_percent, 100);
    }
  }
}

}  // namespace
