// Opening the two cameras on the simulated component: which camera each object takes, the
// order of the component calls, what a failed open leaves behind, and pause and re-open.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "camera/main_camera.h"
#include "camera_test_support.h"
#include "clientlink/client_link.h"
#include "clientlink/shot_result_record.h"
#include "hostile_settings.h"
#include "platform/message_endpoint.h"
#include "platform/profile.h"
#include "platform/shared_block.h"
#include "sim_control.h"
#include "support/temp_dir.h"
#include "varnok_call_log.h"

namespace {

using varnok_log::Call;

std::string ProfileValue(const std::string& path, const char* section, const char* key) {
  char value[64] = {};
  platform::GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, path.c_str());
  return value;
}

class CameraOpenTest : public ::testing::Test {
 protected:
  void TearDown() override {
    main.EndCaptureThread();
    side.EndCaptureThread();
    varnok_log::ClearReadHook();
    VarnokSimLoadScript(nullptr);
  }
  void Load(const char* script) {
    ASSERT_EQ(VarnokSimLoadScript(script), 0) << script;
    varnok_log::Clear();
  }
  std::string Dir() const { return dir.path().string(); }

  test_support::TempDir dir;
  CMainCamera main;
  CSideCamera side;
};

struct OpenCase {
  const char* name;
  const char* script;
  bool mainOpens;
  int32_t mainIndex;
  bool sideOpens;
  int32_t sideIndex;
};

const OpenCase kOpenCases[] = {
    {"both", "cameras 2\n", true, 0, true, 1},
    {"swapped", "cameras swap\n", true, 1, true, 0},
    {"only_main", "cameras 1\n", true, 0, false, -1},
    {"none", "cameras 0\n", false, -1, false, -1},
};

TEST_F(CameraOpenTest, EachObjectTakesTheIndexOfItsOwnModel) {
  for (const OpenCase& c : kOpenCases) {
    SCOPED_TRACE(c.name);
    Load(c.script);
    const bool someCamera = c.mainOpens || c.sideOpens;
    auto mainCamera = std::make_unique<CMainCamera>();
    auto sideCamera = std::make_unique<CSideCamera>();

    EXPECT_EQ(mainCamera->Open(Dir().c_str(), SENSOR_MAIN), c.mainOpens);
    EXPECT_EQ(mainCamera->m_capture.m_cameraIndex, c.mainIndex);
    EXPECT_EQ(sideCamera->Open(Dir().c_str(), SENSOR_SIDE), c.sideOpens);
    EXPECT_EQ(sideCamera->m_capture.m_cameraIndex, c.sideIndex);
    EXPECT_EQ(mainCamera->m_capture.m_capture, c.mainOpens ? 1 : 0);
    EXPECT_EQ(sideCamera->m_capture.m_capture, c.sideOpens ? 1 : 0);

    // Both property records are asked for by each object, even with one camera connected.
    std::vector<int32_t> indices;
    for (const Call& call : varnok_log::CallsNamed("GetCameraProperty"))
      indices.push_back(call.args[0]);
    EXPECT_EQ(indices, someCamera ? std::vector<int32_t>({0, 1, 0, 1}) : std::vector<int32_t>{});

    mainCamera->Stop();
    sideCamera->Stop();
    EXPECT_EQ(mainCamera->m_capture.m_capture, 0);
    EXPECT_EQ(sideCamera->m_capture.m_capture, 0);
  }
}

TEST_F(CameraOpenTest, FailedOpenStillWritesTheSettingsWithDefaultsAndLayout) {
  Load("cameras 0\n");
  EXPECT_FALSE(main.Open(Dir().c_str(), SENSOR_MAIN));
  EXPECT_FALSE(side.Open(Dir().c_str(), SENSOR_SIDE));
  EXPECT_EQ(main.m_capture.m_run, 0);

  for (const char* file : {"setting_top.ini", "setting_top_side.ini"}) {
    SCOPED_TRACE(file);
    const std::string path = dir.File(file);
    ASSERT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(ProfileValue(path, "setting", "exposure"), "1000");
    EXPECT_EQ(ProfileValue(path, "setting", "gain"), "300");
    EXPECT_EQ(ProfileValue(path, "setting", "vflip"), "0");
    EXPECT_EQ(ProfileValue(path, "SensorSetting", "autoGain"), "0");
    EXPECT_EQ(ProfileValue(path, "driverArea", "width"), "60");
    // The light-check layout ran before the write.
    EXPECT_EQ(ProfileValue(path, "zigArea", "x10"), "235");
    EXPECT_EQ(ProfileValue(path, "zigArea", "y02"), "204");
  }
}

TEST_F(CameraOpenTest, OpenConfiguresTheCameraInOrder) {
  Load("cameras 1\n");
  test_support::WriteBytes(
      dir.File("setting_top.ini"),
      "[setting]\r\nexposure=800\r\ngain=250\r\ngamma=7\r\nvflip=1\r\nhflip=1\r\n"
      "[cameraPosition]\r\nx=10\r\ny=-20\r\n"
      "[SensorSetting]\r\nautoGain=1\r\n");
  ASSERT_TRUE(main.Open(Dir().c_str(), SENSOR_MAIN));

  std::vector<Call> calls = varnok_log::Calls();
  auto start = std::find_if(calls.begin(), calls.end(),
                            [](const Call& c) { return c.name == "StartVideoCapture"; });
  ASSERT_NE(start, calls.end());
  calls.erase(start + 1, calls.end());
  for (Call& c : calls) c.result = 0;

  const int32_t homeX = 972 - 160 + 10;
  const int32_t homeY = 612 - 160 - 20;
  const std::vector<Call> expected = {
      {"GetNumOfConnectedCameras", {}},
      {"GetCameraProperty", {0}},
      {"GetCameraProperty", {1}},
      {"OpenCamera", {0}},
      {"SetROIFormat", {0, 320, 320, 1, 3}},
      {"SetControlValue", {0, 6, 100, 0}},
      {"SetControlValue", {0, 3, 50, 0}},
      {"SetControlValue", {0, 4, 50, 0}},
      {"SetControlValue", {0, 5, 10, 0}},
      {"SetControlValue", {0, 14, 1, 0}},
      {"SetControlValue", {0, 5, 70, 0}},
      {"SetStartPos", {0, homeX, homeY}},
      {"SetControlValue", {0, 1, 800, 0}},
      {"SetControlValue", {0, 10, 480, 1}},
      {"SetControlValue", {0, 0, 250, 1}},
      {"SetControlValue", {0, 2, 7, 0}},
      {"SetControlValue", {0, 9, 0, 0}},
      {"SetControlValue", {0, 9, 0, 0}},
      {"StartVideoCapture", {0}},
  };
  EXPECT_EQ(calls, expected) << varnok_log::Describe(calls);
  EXPECT_EQ(main.vflip, 0);
  EXPECT_EQ(main.hflip, 0);
  EXPECT_FALSE(main.m_windowMoved);
  // Buffers exist and the reference image is all zero without its file.
  ASSERT_TRUE(main.m_buffers.Allocated());
  EXPECT_EQ(main.m_buffers.imageSize, 320 * 320);
}

TEST_F(CameraOpenTest, BuffersAreAllocatedOnceAndKeptAcrossOpens) {
  Load("cameras 2\n");
  ASSERT_TRUE(main.Open(Dir().c_str(), SENSOR_MAIN));
  const uint8_t* live = main.m_buffers.live.get();
  const uint8_t* store = main.m_buffers.shotStore.get();
  main.Stop();
  ASSERT_TRUE(main.Open(Dir().c_str(), SENSOR_MAIN));
  EXPECT_EQ(main.m_buffers.live.get(), live);
  EXPECT_EQ(main.m_buffers.shotStore.get(), store);
}

TEST_F(CameraOpenTest, OpenLeavesThePauseFlagAndReOpenClearsIt) {
  Load("cameras 2\n");
  std::atomic<int> reads{0};
  varnok_log::SetReadHook({nullptr, [&](int32_t, uint8_t*, int32_t) { ++reads; }});

  main.m_capture.m_pause = 1;
  ASSERT_TRUE(main.Open(Dir().c_str(), SENSOR_MAIN));
  EXPECT_EQ(main.m_capture.m_pause, 1);
  // A paused thread makes no camera calls.
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(reads.load(), 0);

  // The check-camera window closes the camera while the thread is paused, then hands it back.
  VarnokCloseCamera(main.m_capture.m_cameraIndex);
  main.m_capture.m_statusCode = kCaptureStatusLowFps;
  ASSERT_TRUE(main.ReOpen());
  EXPECT_EQ(main.m_capture.m_pause, 0);
  EXPECT_EQ(main.m_capture.m_statusCode, kCaptureStatusOk);
  EXPECT_EQ(main.m_capture.m_capture, 1);
  EXPECT_TRUE(camera_test::WaitFor([&] { return reads.load() > 20; }));
}

// The window is placed from the clamped position, the capture thread watches with the clamped
// areas, and the file keeps what was used.
TEST_F(CameraOpenTest, HostileSettingsAreClampedBeforeTheWindowIsPlaced) {
  for (const hostile::Case& c : hostile::kCases) {
    SCOPED_TRACE(c.name);
    Load("cameras 1\n");
    const std::string path = dir.File("setting_top.ini");
    test_support::WriteBytes(path, c.file);
    std::atomic<int> reads{0};
    varnok_log::SetReadHook({nullptr, [&](int32_t, uint8_t*, int32_t) { ++reads; }});
    ASSERT_TRUE(main.Open(Dir().c_str(), SENSOR_MAIN));

    const std::vector<Call> moves = varnok_log::CallsNamed("SetStartPos");
    ASSERT_FALSE(moves.empty());
    EXPECT_EQ(moves[0].args,
              (std::vector<int32_t>{0, 972 - 160 + c.position.x, 612 - 160 + c.position.y}));
    EXPECT_TRUE(camera_test::WaitFor([&] { return reads.load() > 50; }));
    main.Stop();
    varnok_log::ClearReadHook();

    EXPECT_EQ(ProfileValue(path, "cameraPosition", "x"), std::to_string(c.position.x));
    EXPECT_EQ(ProfileValue(path, "cameraPosition", "y"), std::to_string(c.position.y));
    EXPECT_EQ(ProfileValue(path, "driverArea", "x"), std::to_string(c.driver.m_x));
    EXPECT_EQ(ProfileValue(path, "driverArea", "height"), std::to_string(c.driver.m_height));
  }
}

TEST_F(CameraOpenTest, ReOpenWithoutAFoundCameraFails) {
  Load("cameras 2\n");
  EXPECT_FALSE(main.ReOpen());
  EXPECT_TRUE(varnok_log::CallsNamed("OpenCamera").empty());
}

// The shared block's creation is retried by every main-camera open until one succeeds. Runs in a
// fresh process (the block is the process's), with its own endpoint directory and block name.

struct BlockReader {
  uint8_t copy[sizeof(ShotResultRecord)] = {};
  bool read = false;
};

// The golf client's part: on 7101 it maps the block by name and copies the record out.
int64_t ReadRecordOn7101(const platform::Message& message, void* context) {
  auto* reader = static_cast<BlockReader*>(context);
  if (message.wParam != clientlink::CODE_SHOT_RESULT) return 0;
  const uint8_t* block =
      platform::OpenSharedBlock(clientlink::kSharedBlockName, clientlink::kSharedBlockSize);
  if (block == nullptr) return 0;
  std::memcpy(reader->copy, block, sizeof reader->copy);
  reader->read = true;
  return 1;
}

// 0 when every step held; otherwise the number of the step that did not, with a line saying why.
int OpenCreatesTheBlockOnceAFailedCreationCanSucceed(const std::string& dir) {
  const auto fail = [](int step, const char* why) {
    std::fprintf(stderr, "step %d: %s\n", step, why);
    return step;
  };
  char endpoints[] = "/tmp/kestrix-block-retry-XXXXXX";
  if (::mkdtemp(endpoints) == nullptr) return fail(1, "no endpoint directory");
  ::setenv("KESTRIX_ENDPOINT_DIR", endpoints, 1);
  const std::string goodName = "kestrix_block_retry_" + std::to_string(::getpid());
  // Whichever way the steps end, the block and the endpoints go (the name in the environment
  // decides what is removed).
  struct Cleanup {
    const std::string& blockName;
    const char* endpointDirectory;
    ~Cleanup() {
      ::setenv("KESTRIX_SHM_NAME", blockName.c_str(), 1);
      platform::RemoveSharedBlock(clientlink::kSharedBlockName);
      std::error_code ignored;
      std::filesystem::remove_all(endpointDirectory, ignored);
    }
  } cleanup{goodName, endpoints};
  // shm_open refuses a name with a slash inside it, as it would a full /dev/shm.
  constexpr const char* kRefusedName = "kestrix/no/such/block";
  if (VarnokSimLoadScript("cameras 2\n") != 0) return fail(2, "script");

  CMainCamera main;
  ::setenv("KESTRIX_SHM_NAME", kRefusedName, 1);
  if (!main.Open(dir.c_str(), SENSOR_MAIN)) return fail(3, "first open");
  main.Stop();
  if (clientlink::SharedBlock() != nullptr) return fail(4, "a block under a refused name");
  if (clientlink::SendShotResult(ShotResultRecord{})) return fail(5, "7101 without a block");

  ::setenv("KESTRIX_SHM_NAME", goodName.c_str(), 1);
  if (!main.Open(dir.c_str(), SENSOR_MAIN)) return fail(6, "second open");
  uint8_t* const block = clientlink::SharedBlock();
  if (block == nullptr) return fail(7, "the second open did not create the block");

  platform::MessageEndpoint client;
  if (!client.Open(clientlink::kClientWindow)) return fail(8, "client endpoint");
  BlockReader reader;
  std::thread serving([&] { client.ServeOnce(10000, ReadRecordOn7101, &reader); });
  ShotResultRecord record;
  record.m_clubType = CLUB_IRON;
  record.m_HAngle = -2.5f;
  record.m_speed = 61.25f;
  const bool sent = clientlink::SendShotResult(record);
  serving.join();
  main.Stop();
  if (!sent) return fail(9, "7101 not sent");
  if (!reader.read) return fail(10, "the client did not read the block on 7101");
  if (std::memcmp(reader.copy, &record, sizeof record) != 0) return fail(11, "record differs");

  // Once made, the block stays: a later open creates nothing, even where creating would fail.
  ::setenv("KESTRIX_SHM_NAME", kRefusedName, 1);
  if (!main.Open(dir.c_str(), SENSOR_MAIN)) return fail(12, "third open");
  main.Stop();
  if (clientlink::SharedBlock() != block) return fail(13, "the block changed");
  return 0;
}

TEST(CameraOpenDeathTest, AFailedBlockCreationIsRetriedByTheNextMainCameraOpen) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  test_support::TempDir dir;
  EXPECT_EXIT(std::exit(OpenCreatesTheBlockOnceAFailedCreationCanSucceed(dir.path().string())),
              ::testing::ExitedWithCode(0), "");
}

}  // namespace
