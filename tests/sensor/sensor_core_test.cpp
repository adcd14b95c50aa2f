#include "sensor/sensor_core.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "clientlink/client_link.h"
#include "platform/profile.h"
#include "sim_control.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class SensorCoreTest : public ::testing::Test {
 protected:
  test_support::TempDir dir;
  std::vector<uint32_t> codes;

  void SetUp() override { clientlink::SetMessageTap(&Record, this); }
  void TearDown() override {
    clientlink::SetMessageTap(nullptr, nullptr);
    VarnokSimLoadScript(nullptr);
  }
  bool PutterFlag() const { return fs::exists(dir.path() / "putter.txt"); }
  std::string SideValue(const char* section, const char* key) const {
    char text[64];
    platform::GetPrivateProfileStringA(section, key, "", text, sizeof text,
                                       dir.File("setting_top_side.ini").c_str());
    return text;
  }

 private:
  static void Record(uint32_t code, int64_t, void* self) {
    static_cast<SensorCoreTest*>(self)->codes.push_back(code);
  }
};

TEST_F(SensorCoreTest, StatusQueryNamesEachCameraThatIsNotCapturing) {
  SensorCore core(dir.path().string());
  core.HandleClientCode(clientlink::CODE_STATUS_QUERY, 0);
  EXPECT_EQ(codes, (std::vector<uint32_t>{clientlink::CODE_MAIN_NOT_CAPTURING,
                                          clientlink::CODE_SIDE_NOT_CAPTURING}));

  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 2\n"), 0);
  ASSERT_TRUE(core.Start());
  codes.clear();
  core.HandleClientCode(clientlink::CODE_STATUS_QUERY, 0);
  EXPECT_EQ(codes, (std::vector<uint32_t>{clientlink::CODE_BOTH_CAPTURING}));
  core.Shutdown();
}

TEST_F(SensorCoreTest, ClubSelectionSetsClubTypeCodeAndThePutterFlag) {
  SensorCore core(dir.path().string());
  CMainCamera* cameras[] = {&core.mainCamera(), &core.sideCamera()};

  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, 12);
  EXPECT_TRUE(PutterFlag());
  for (CMainCamera* camera : cameras) {
    EXPECT_EQ(camera->m_clubType, CLUB_PUTTER);
    EXPECT_EQ(camera->m_watch.m_classifyCount, 0) << "no classification while putting";
  }

  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, 3);
  EXPECT_FALSE(PutterFlag());
  for (CMainCamera* camera : cameras) {
    EXPECT_EQ(camera->m_clubType, CLUB_IRON);
    EXPECT_EQ(camera->m_watch.m_classifyCount, 1);
  }

  // An unknown code keeps the club but is remembered for the next shot record.
  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, 20);
  for (CMainCamera* camera : cameras) {
    EXPECT_EQ(camera->m_clubType, CLUB_IRON);
    EXPECT_EQ(camera->m_clubCode, 20);
    EXPECT_EQ(camera->m_watch.m_ballState, BALL_EMPTY);
  }
  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, -1);  // taken unsigned: unknown too
  EXPECT_EQ(core.mainCamera().m_clubType, CLUB_IRON);
}

TEST_F(SensorCoreTest, ClubSelectionWhileCapturingSwitchesModesOnTheCaptureThreads) {
  ASSERT_EQ(VarnokSimLoadScript("fps 200\ncameras 2\n"), 0);
  SensorCore core(dir.path().string());
  ASSERT_TRUE(core.Start());
  core.mainCamera().m_lightCheckMode = 1;
  core.sideCamera().m_clubAreaMode = 1;
  // The settings are re-read and the points laid out while both watches run.
  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, 5);
  for (CMainCamera* camera : {static_cast<CMainCamera*>(&core.mainCamera()),
                              static_cast<CMainCamera*>(&core.sideCamera())}) {
    EXPECT_EQ(camera->m_lightCheckMode, 0);
    EXPECT_EQ(camera->m_clubAreaMode, 0);
    EXPECT_EQ(camera->m_capture.m_requestedMode.load(), kNoModeRequest);
    EXPECT_EQ(camera->m_clubType, CLUB_IRON);
    EXPECT_EQ(camera->m_clubCode, 5);
  }
  core.Shutdown();
}

TEST_F(SensorCoreTest, StartWiresTheSideCameraAndHonoursThePutterFlag) {
  test_support::WriteBytes(dir.File("setting_top.ini"),
                           "[SensorSetting]\r\nautoGain=0\r\nisRightHand=1\r\ndriverReady=1\r\n");
  test_support::WriteBytes(dir.File("setting_top_side.ini"),
                           "[SensorSetting]\r\nautoGain=1\r\nisRightHand=0\r\n");
  test_support::WriteBytes(dir.File("putter.txt"), "");
  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 2\n"), 0);

  SensorCore core(dir.path().string());
  ASSERT_TRUE(core.Start());
  CSideCamera& side = core.sideCamera();
  EXPECT_EQ(side.autoGain, 0);
  EXPECT_EQ(side.isRightHand, 1);
  EXPECT_EQ(side.driverReady, 1);
  EXPECT_EQ(SideValue("SensorSetting", "autoGain"), "0") << "the side settings are rewritten";
  EXPECT_EQ(core.mainCamera().m_peer, &side);
  EXPECT_EQ(side.m_peer, &core.mainCamera());
  EXPECT_EQ(core.mainCamera().m_clubType, CLUB_PUTTER);
  EXPECT_EQ(side.m_clubType, CLUB_PUTTER);

  core.Shutdown();
  EXPECT_FALSE(PutterFlag());
  EXPECT_EQ(core.mainCamera().m_capture.m_capture, 0);
  EXPECT_EQ(side.m_capture.m_capture, 0);
}

TEST_F(SensorCoreTest, MissingCamerasAreRetriedOnceBothAreConnected) {
  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 1\n"), 0);
  SensorCore core(dir.path().string());
  EXPECT_FALSE(core.Start());
  EXPECT_FALSE(core.ReconnectTick()) << "one camera connected: the tick does nothing";
  core.Shutdown();
}

}  // namespace
