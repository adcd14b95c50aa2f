#include "sensor/sensor_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "clientlink/client_link.h"
#include "platform/message_delivery.h"
#include "platform/message_endpoint.h"
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
  // The 64-bit parameter is taken unsigned and whole: only its low 32 bits would name a club.
  const struct {
    int64_t lParam;
    int32_t recordedCode;
  } unknown[] = {{-1, -1}, {int64_t{1} << 32, -1}, {(int64_t{1} << 32) + 12, -1}, {13, 13}};
  for (const auto& c : unknown) {
    SCOPED_TRACE(c.lParam);
    core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, c.lParam);
    EXPECT_FALSE(PutterFlag());
    for (CMainCamera* camera : cameras) {
      EXPECT_EQ(camera->m_clubType, CLUB_IRON);
      EXPECT_EQ(camera->m_clubCode, c.recordedCode);
    }
  }
  core.HandleClientCode(clientlink::CODE_CLUB_SELECTION, 0);
  EXPECT_EQ(core.mainCamera().m_clubType, CLUB_DRIVER);
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
  EXPECT_EQ(core.ReconnectTick(), SensorCore::Reconnect::kTooFewConnected)
      << "one camera connected: the tick does nothing";
  core.Shutdown();
}

platform::SendOutcome SendToSensor(uint32_t code, int64_t lParam, int timeoutMs = 10000) {
  return platform::SendEndpointMessage(clientlink::kSensorWindow,
                                       {clientlink::kMessage, code, lParam}, timeoutMs, nullptr);
}

// The client's codes run on the thread that serves the core, and the client is answered once
// they have run.
TEST_F(SensorCoreTest, ClientCodesRunOnTheControlThreadBeforeTheClientIsAnswered) {
  SensorCore core(dir.path().string());
  core.Start();
  ASSERT_TRUE(core.ListeningToClient());
  std::atomic<bool> answered{false};
  std::thread client([&] {
    answered =
        SendToSensor(clientlink::CODE_CLUB_SELECTION, 12) == platform::SendOutcome::kAnswered;
    SendToSensor(clientlink::CODE_CLOSE, 0);
  });
  EXPECT_TRUE(core.ServeControl(20000)) << "the close code ends the serving";
  client.join();
  EXPECT_TRUE(answered);
  EXPECT_TRUE(PutterFlag());
  EXPECT_EQ(core.mainCamera().m_clubType, CLUB_PUTTER);
  core.Shutdown();
  EXPECT_FALSE(core.ListeningToClient());
}

// Another live sensor owns the client link: this one says so, stays deaf, and takes the link
// with a later tick once it is free.
TEST_F(SensorCoreTest, ALinkHeldElsewhereIsSaidAndRetried) {
  auto other = std::make_unique<platform::MessageEndpoint>();
  ASSERT_TRUE(other->Open(clientlink::kSensorWindow));
  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 2\n"), 0);
  SensorCore core(dir.path().string());
  testing::internal::CaptureStderr();
  core.Start();
  EXPECT_FALSE(core.ListeningToClient());
  EXPECT_FALSE(core.RetryClientLink());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_NE(said.find("\"VarnokGolfV\" is held by another live sensor"), std::string::npos) << said;

  other.reset();
  EXPECT_TRUE(core.RetryClientLink());
  EXPECT_TRUE(core.ListeningToClient());
  std::thread client([] { SendToSensor(clientlink::CODE_STATUS_QUERY, 0); });
  while (codes.empty()) core.ServeControl(50);
  client.join();
  EXPECT_EQ(codes, std::vector<uint32_t>{clientlink::CODE_BOTH_CAPTURING});
  core.Shutdown();
}

// A control thread that is busy elsewhere holds the client only for a bounded time; a shutdown
// releases it at once.
TEST_F(SensorCoreTest, AClientIsNeverHeldByAControlThreadThatDoesNotServe) {
  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 2\n"), 0);
  SensorCore core(dir.path().string());
  core.Start();
  std::atomic<int> outcome{-1};
  std::thread client(
      [&] { outcome = static_cast<int>(SendToSensor(clientlink::CODE_STATUS_QUERY, 0)); });
  client.join();
  EXPECT_EQ(outcome, static_cast<int>(platform::SendOutcome::kAnswered));
  EXPECT_TRUE(codes.empty()) << "nothing ran yet";
  core.RunControlCommands();
  EXPECT_EQ(codes, std::vector<uint32_t>{clientlink::CODE_BOTH_CAPTURING})
      << "run in its turn on the control thread";

  std::thread late([&] { SendToSensor(clientlink::CODE_STATUS_QUERY, 0, 30000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  core.Shutdown();
  late.join();
}

// Club selections and status queries from the client meet reconnect ticks that stop and re-open
// both cameras while their capture threads run; all of it on the one control thread.
TEST_F(SensorCoreTest, ClientCodesAndReconnectTicksInterleaveWhileCamerasComeAndGo) {
  ASSERT_EQ(VarnokSimLoadScript("fps free\ncameras 2\n"), 0);
  SensorCore core(dir.path().string());
  ASSERT_TRUE(core.Start());
  std::atomic<bool> done{false};
  std::atomic<int> answered{0};
  std::thread client([&] {
    const int64_t clubs[] = {0, 5, 12, 20, int64_t{1} << 32, 3};
    for (int i = 0; !done; ++i) {
      const bool club = i % 2 == 0;
      const auto outcome = club ? SendToSensor(clientlink::CODE_CLUB_SELECTION, clubs[(i / 2) % 6])
                                : SendToSensor(clientlink::CODE_STATUS_QUERY, 0);
      if (outcome == platform::SendOutcome::kAnswered) ++answered;
    }
  });
  for (int tick = 0; tick < 6; ++tick) {
    core.ServeControl(150);
    EXPECT_EQ(core.ReconnectTick(), SensorCore::Reconnect::kBothOpen);
  }
  done = true;
  core.ServeControl(300);
  client.join();
  EXPECT_GT(answered.load(), 6);
  EXPECT_TRUE(core.BothCapturing());
  core.Shutdown();
}

}  // namespace
