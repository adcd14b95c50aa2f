#include <gtest/gtest.h>

#include "camera/main_camera.h"
#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

class CameraSettings : public ::testing::Test {
 protected:
  test_support::TempDir dir;
  CMainCamera cam;

  void SetUp() override {
    cam.SensorType = SENSOR_MAIN;
    cam.m_whiteNum.Init(SENSOR_MAIN);
    cam.SetSettingsLocation(dir.path().c_str(), "setting_top.ini");
  }
  std::string Value(const char* section, const char* key) {
    char text[256];
    platform::GetPrivateProfileStringA(section, key, "<missing>", text, sizeof text,
                                       cam.SettingsPath().c_str());
    return text;
  }
};

TEST_F(CameraSettings, MissingFileReadsAsDefaultsWithTheRatioRecomputed) {
  ASSERT_FLOAT_EQ(cam.meterForImageRatio, 2.4f);
  cam.ReadSettings();
  EXPECT_EQ(cam.exposure, 1000);
  EXPECT_EQ(cam.gain, 300);
  EXPECT_EQ(cam.gamma, 50);
  EXPECT_EQ(cam.meter, 67);
  EXPECT_FLOAT_EQ(cam.meterForImageRatio, 67 * 2.07f / 42);
  EXPECT_NEAR(cam.meterForImageRatio, 3.3021, 1e-4);
  // Club areas default to 60 x 60, unlike their construction value.
  EXPECT_EQ(cam.m_areas.ironArea, MakeRect(0, 0, 60, 60));
  EXPECT_EQ(cam.m_areas.putterArea, MakeRect(0, 0, 60, 60));
  EXPECT_FLOAT_EQ(cam.m_VAngleIronAdjForPlus, 3.0f);
  EXPECT_EQ(cam.secondImgIndexForSideSpin, 2);
  EXPECT_EQ(cam.isRightHand, -1);
  EXPECT_EQ(cam.m_zigPoints[0], MakeRect(0, 0, 22, 22));
}

TEST_F(CameraSettings, PointsAreKeptInsideTheWindowButNegativeValuesPass) {
  test_support::WriteBytes(
      dir.File("setting_top.ini"),
      "[zigArea]\r\nx00=400\r\ny00=-5\r\nx12=-5\r\ny12=999\r\nx3=310\r\ny3=12\r\n");
  cam.ReadSettings();
  EXPECT_EQ(cam.m_zigPoints[0], MakeRect(298, -5, 22, 22));
  EXPECT_EQ(cam.m_zigPoints[5], MakeRect(-5, 298, 22, 22));  // column 1, row 2
  EXPECT_EQ(cam.m_matPoints[3], MakeRect(298, 12, 22, 22));
}

TEST_F(CameraSettings, FlipsInTheFileHaveNoEffectAndAreWrittenAsZero) {
  test_support::WriteBytes(dir.File("setting_top.ini"), "[setting]\r\nvflip=1\r\nhflip=1\r\n");
  cam.ReadSettings();
  EXPECT_EQ(cam.vflip, 0);
  EXPECT_EQ(cam.hflip, 0);
  cam.vflip = 1;
  cam.WriteSettings();
  EXPECT_EQ(Value("setting", "vflip"), "0");
  EXPECT_EQ(Value("setting", "hflip"), "0");
}

TEST_F(CameraSettings, BallDirectionModeUsesItsOwnPointSection) {
  test_support::WriteBytes(dir.File("setting_top.ini"),
                           "[zigArea]\r\nx00=75\r\n[zigArea_adj_ball]\r\nx00=140\r\n");
  cam.m_ballDirectionMode = 1;
  cam.ReadSettings();
  EXPECT_EQ(cam.m_zigPoints[0].m_x, 140);
  cam.m_zigPoints[0].m_x = 150;
  cam.WriteSettings();
  EXPECT_EQ(Value("zigArea_adj_ball", "x00"), "150");
  EXPECT_EQ(Value("zigArea", "x00"), "75");
  EXPECT_EQ(Value("zigArea", "x01"), "<missing>");
}

TEST_F(CameraSettings, WriteThenReadRestoresEveryConfiguredValue) {
  cam.exposure = 1200;
  cam.gain = 250;
  cam.gamma = 0;
  for (int k = 0; k < kZigPointCount; ++k) cam.m_zigPoints[k] = MakeRect(10 + k, 20 + k, 22, 22);
  for (int k = 0; k < kMatPointCount; ++k) cam.m_matPoints[k] = MakeRect(100 + k, 200 + k, 22, 22);
  cam.m_areas.driverArea = MakeRect(130, 240, 60, 50);
  cam.m_areas.ironArea = MakeRect(40, 150, 240, 100);
  cam.m_areas.ironArea_Rough = MakeRect(1, 2, 3, 4);
  cam.m_areas.ironArea_Bunker = MakeRect(5, 6, 7, 8);
  cam.m_areas.putterArea = MakeRect(9, 10, 11, 12);
  cam.cameraPosition = {-12, 34};
  cam.SetMeter(70);
  cam.zeroAngle = -1.25f;
  cam.leftImageWidthFromTeePosition = 101.5f;
  cam.rightImageWidthFromTeePosition = 99.25f;
  cam.shotAngleAdj = 0.5f;
  cam.m_HAngleAdjForPlus = -0.75f;
  cam.m_HAngleAdjForPlusForPutter = 0.125f;
  cam.m_VAngleDriverAdjForMulti = 1.5f;
  cam.m_VAngleIronAdjForMulti = 2.5f;
  cam.m_VAngleDriverAdjForPlus = -1.0f;
  cam.m_VAngleIronAdjForPlus = 4.0f;
  cam.m_speedAdjForMulti = 3.0f;
  cam.m_speedPuttingAdjForMulti = -2.0f;
  cam.m_sideSpinAdjForMulti = 10.0f;
  cam.m_sideSpinAdjForMulti_Slice = 20.0f;
  cam.secondImgIndexForSideSpin = 3;
  cam.m_sideSpinAdjForPlus = -30.0f;
  cam.m_backSpinAdjForMulti = 5.0f;
  cam.isRightHand = 0;
  cam.autoGain = 1;
  cam.driverReady = 2;
  cam.WriteSettings();

  CMainCamera back;
  back.SensorType = SENSOR_MAIN;
  back.m_whiteNum.Init(SENSOR_MAIN);
  back.SetSettingsLocation(dir.path().c_str(), "setting_top.ini");
  back.ReadSettings();
  EXPECT_EQ(back.exposure, 1200);
  EXPECT_EQ(back.gain, 250);
  EXPECT_EQ(back.gamma, 0);
  for (int k = 0; k < kZigPointCount; ++k) EXPECT_EQ(back.m_zigPoints[k], cam.m_zigPoints[k]);
  for (int k = 0; k < kMatPointCount; ++k) EXPECT_EQ(back.m_matPoints[k], cam.m_matPoints[k]);
  EXPECT_EQ(back.m_areas.driverArea, cam.m_areas.driverArea);
  EXPECT_EQ(back.m_areas.ironArea, cam.m_areas.ironArea);
  EXPECT_EQ(back.m_areas.ironArea_Rough, cam.m_areas.ironArea_Rough);
  EXPECT_EQ(back.m_areas.ironArea_Bunker, cam.m_areas.ironArea_Bunker);
  EXPECT_EQ(back.m_areas.putterArea, cam.m_areas.putterArea);
  EXPECT_EQ(back.cameraPosition.x, -12);
  EXPECT_EQ(back.cameraPosition.y, 34);
  EXPECT_EQ(back.meter, 70);
  EXPECT_FLOAT_EQ(back.meterForImageRatio, cam.meterForImageRatio);
  const float CMainCamera::*floats[] = {&CMainCamera::zeroAngle,
                                        &CMainCamera::leftImageWidthFromTeePosition,
                                        &CMainCamera::rightImageWidthFromTeePosition,
                                        &CMainCamera::shotAngleAdj,
                                        &CMainCamera::m_HAngleAdjForPlus,
                                        &CMainCamera::m_HAngleAdjForPlusForPutter,
                                        &CMainCamera::m_VAngleDriverAdjForMulti,
                                        &CMainCamera::m_VAngleIronAdjForMulti,
                                        &CMainCamera::m_VAngleDriverAdjForPlus,
                                        &CMainCamera::m_VAngleIronAdjForPlus,
                                        &CMainCamera::m_speedAdjForMulti,
                                        &CMainCamera::m_speedPuttingAdjForMulti,
                                        &CMainCamera::m_sideSpinAdjForMulti,
                                        &CMainCamera::m_sideSpinAdjForMulti_Slice,
                                        &CMainCamera::m_sideSpinAdjForPlus,
                                        &CMainCamera::m_backSpinAdjForMulti};
  for (auto member : floats) EXPECT_FLOAT_EQ(back.*member, cam.*member);
  EXPECT_EQ(back.secondImgIndexForSideSpin, 3);
  EXPECT_EQ(back.isRightHand, 0);
  EXPECT_EQ(back.autoGain, 1);
  EXPECT_EQ(back.driverReady, 2);
  // Numbers are stored as the C runtime prints them, and the derived ratio is not stored.
  EXPECT_EQ(Value("zeroAngle", "zeroAngle"), "-1.250000");
  EXPECT_EQ(Value("meterForImageRatio", "meterForImageRatio"), "<missing>");
}

TEST_F(CameraSettings, BrokenValuesReadAsTheRuntimeReadsThemAndTheRestStillLoads) {
  test_support::WriteBytes(
      dir.File("setting_top.ini"),
      "[setting]\r\ngain=12abc\r\nexposure=junk\r\n[SpeedAdj]\r\nspeed=1.5x\r\n"
      "[SensorSetting]\r\ndriverReady=3\r\n");
  cam.ReadSettings();
  EXPECT_EQ(cam.gain, 12);
  EXPECT_EQ(cam.exposure, 0);
  EXPECT_FLOAT_EQ(cam.m_speedAdjForMulti, 1.5f);
  EXPECT_EQ(cam.driverReady, 3);
}

TEST(CameraScale, MeterRatioAndScaleFactorFollowTheSensorType) {
  CMainCamera cam;
  for (int32_t type : {SENSOR_MAIN, SENSOR_SIDE}) {
    cam.SensorType = type;
    cam.SetMeter(42);
    EXPECT_FLOAT_EQ(cam.meterForImageRatio, 2.07f);
    EXPECT_FLOAT_EQ(cam.ScaleFactor(), 2.07f);
  }
  cam.SensorType = SENSOR_CHECK_VIEW;
  cam.SetMeter(67);
  EXPECT_FLOAT_EQ(cam.meterForImageRatio, 2.42f);
  EXPECT_FLOAT_EQ(cam.ScaleFactor(), 2.42f);
}

}  // namespace
