// The VarnokV2 contract as the sensor relies on it, exercised through the shared library.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "VarnokV2.h"
#include "camera_rig.h"
#include "sim/frame_probe.h"
#include "sim_component.h"
#include "sim_control.h"

namespace {

using simtest::BrightCentroid;
constexpr int kW = 320;
constexpr int kFrame = kW * kW;
// The main camera's home window: it sits beside the target line, so its picture of the tee lies
// off the sensor centre.
constexpr int kHomeX = 812 + sim::kStereoShiftPx;
constexpr int kHomeY = 362;
// Pixels a ball rolling on the mat moves per millimetre.
constexpr double kPxPerMm = 1.0 / sim::kBallScaleMmPerPx;

// Opens and starts a camera the way the sensor does, with the window at (x, y).
void StartCamera(int id, int x = kHomeX, int y = kHomeY) {
  ASSERT_EQ(VarnokOpenCamera(id), 0);
  ASSERT_EQ(VarnokSetROIFormat(id, kW, kW, VARNOK_BIN_1, VARNOK_IMG_Y8), 0);
  ASSERT_EQ(VarnokSetStartPos(id, x, y), 0);
  ASSERT_EQ(VarnokSetControlValue(id, VARNOK_CONTROL_GAIN, 300, 0), 0);
  ASSERT_EQ(VarnokStartVideoCapture(id), 0);
}

std::vector<uint8_t> Read(int id, int size = kFrame, int wait_ms = 2000) {
  std::vector<uint8_t> f(static_cast<size_t>(size));
  EXPECT_EQ(VarnokGetVideoData(id, f.data(), size, wait_ms), 0);
  return f;
}

// Runs in a directory of its own: sessions with shots append to "sim_truth.jsonl" there.
class VarnokContract : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("varnok_contract_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void Load(const char* script) { ASSERT_EQ(VarnokSimLoadScript(script), 0); }
  void TearDown() override {
    for (int id = 0; id < 2; ++id) VarnokCloseCamera(id);
    VarnokSimLoadScript(nullptr);
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
  }

  std::filesystem::path dir_, old_;
};

TEST_F(VarnokContract, ModelNamesFollowTheCamerasDirective) {
  struct Case {
    const char* script;
    int count;
    const char* name0;
    const char* name1;
  };
  const Case cases[] = {
      {"cameras 2\n", 2, "ZWO ASI136MC-A", "ZWO ASI136MC-B"},
      {"cameras swap\n", 2, "ZWO ASI136MC-B", "ZWO ASI136MC-A"},
      {"cameras 1\n", 1, "ZWO ASI136MC-A", nullptr},
      {"cameras 0\n", 0, nullptr, nullptr},
      // Indices follow the order the cameras are plugged in.
      {"cameras 0\nat 0 connect side\nat 5 connect main\n", 1, "ZWO ASI136MC-B", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Load(c.script);
    EXPECT_EQ(VarnokGetNumOfConnectedCameras(), c.count);
    VarnokCameraProperty p;
    const char* names[2] = {c.name0, c.name1};
    for (int i = 0; i < 2; ++i) {
      std::memset(&p, 0x7f, sizeof p);
      const int32_t r = VarnokGetCameraProperty(&p, i);
      if (names[i] == nullptr) {
        EXPECT_NE(r, 0);
        EXPECT_NE(VarnokOpenCamera(i), 0);
      } else {
        ASSERT_EQ(r, 0);
        EXPECT_STREQ(p.name, names[i]);
        EXPECT_EQ(p.maxWidth, 1944);
        EXPECT_EQ(p.maxHeight, 1224);
      }
    }
  }
  EXPECT_NE(VarnokGetCameraProperty(nullptr, 0), 0);
}

TEST_F(VarnokContract, CallsOnAnIdThatIsNotOpenFailCleanly) {
  Load("fps free\n");
  uint8_t frame[16];
  int32_t value = 0, flag = 0;
  for (int id : {-1, 0, 1, 2, 1000}) {
    SCOPED_TRACE(id);
    EXPECT_NE(VarnokSetROIFormat(id, kW, kW, 1, 3), 0);
    EXPECT_NE(VarnokSetStartPos(id, 0, 0), 0);
    EXPECT_NE(VarnokSetControlValue(id, 0, 1, 0), 0);
    EXPECT_NE(VarnokGetControlValue(id, 0, &value, &flag), 0);
    EXPECT_NE(VarnokStartVideoCapture(id), 0);
    EXPECT_NE(VarnokGetVideoData(id, frame, sizeof frame, 10), 0);
    EXPECT_NE(VarnokCloseCamera(id), 0);
  }
  // Open but not streaming, bad formats, bad controls, short buffers, null pointers.
  ASSERT_EQ(VarnokOpenCamera(0), 0);
  EXPECT_NE(VarnokGetVideoData(0, frame, sizeof frame, 10), 0);
  EXPECT_NE(VarnokSetROIFormat(0, kW, kW, 2, 3), 0);
  EXPECT_NE(VarnokSetROIFormat(0, kW, kW, 1, 0), 0);
  EXPECT_NE(VarnokSetROIFormat(0, 0, kW, 1, 3), 0);
  EXPECT_NE(VarnokSetROIFormat(0, 4000, kW, 1, 3), 0);
  EXPECT_NE(VarnokSetControlValue(0, -1, 0, 0), 0);
  EXPECT_NE(VarnokSetControlValue(0, 1 << 20, 0, 0), 0);
  EXPECT_NE(VarnokGetControlValue(0, 0, nullptr, &flag), 0);
  ASSERT_EQ(VarnokStartVideoCapture(0), 0);
  EXPECT_NE(VarnokGetVideoData(0, frame, sizeof frame, 10), 0);
  EXPECT_NE(VarnokGetVideoData(0, nullptr, kFrame, 10), 0);
}

TEST_F(VarnokContract, OpenCloseAndReopen) {
  Load("fps free\n");
  for (int round = 0; round < 3; ++round) {
    StartCamera(0);
    Read(0);
    ASSERT_EQ(VarnokCloseCamera(0), 0);
    std::vector<uint8_t> f(kFrame);
    EXPECT_NE(VarnokGetVideoData(0, f.data(), kFrame, 10), 0);
  }
}

TEST_F(VarnokContract, ControlsAreStoredPerCameraAndReadBack) {
  Load("fps free\n");
  ASSERT_EQ(VarnokOpenCamera(0), 0);
  ASSERT_EQ(VarnokOpenCamera(1), 0);
  const int controls[] = {0, 1, 2, 3, 4, 5, 6, 9, 10, 14};
  for (int c : controls) {
    ASSERT_EQ(VarnokSetControlValue(0, c, 100 + c, c % 2), 0);
    ASSERT_EQ(VarnokSetControlValue(1, c, 500 + c, 0), 0);
  }
  for (int c : controls) {
    int32_t v = 0, a = 0;
    ASSERT_EQ(VarnokGetControlValue(0, c, &v, &a), 0);
    EXPECT_EQ(v, 100 + c);
    EXPECT_EQ(a, c % 2);
    ASSERT_EQ(VarnokGetControlValue(1, c, &v, &a), 0);
    EXPECT_EQ(v, 500 + c);
  }
}

// The ball within 20 pixels of where it is expected; no painted line comes that near it.
simtest::Centroid BallNear(const std::vector<uint8_t>& f, int w, int h, double x, double y) {
  return BrightCentroid(f, w, h, 180, static_cast<int>(x) - 20, static_cast<int>(y) - 20, 40, 40);
}

// A ball on the putting spot seen through windows at different places, sizes, gains and flips.
TEST_F(VarnokContract, WindowGainAndFlipChangeTheImage) {
  Load("fps free\nat 0 place putt\n");
  StartCamera(0);
  const auto home = BallNear(Read(0), kW, kW, 226, 158);
  ASSERT_GT(home.count, 20);

  ASSERT_EQ(VarnokSetStartPos(0, kHomeX + 10, kHomeY - 6), 0);
  const auto moved = BallNear(Read(0), kW, kW, home.x - 10, home.y + 6);
  EXPECT_NEAR(moved.x, home.x - 10, 0.3);
  EXPECT_NEAR(moved.y, home.y + 6, 0.3);

  // A window reaching past the chip stops at its edge.
  ASSERT_EQ(VarnokSetStartPos(0, 5000, -50), 0);
  Read(0);

  ASSERT_EQ(VarnokSetROIFormat(0, 200, 120, 1, 3), 0);
  ASSERT_EQ(VarnokSetStartPos(0, kHomeX + 60, kHomeY + 100), 0);
  const auto small = BallNear(Read(0, 200 * 120), 200, 120, home.x - 60, home.y - 100);
  EXPECT_NEAR(small.x, home.x - 60, 0.3);
  EXPECT_NEAR(small.y, home.y - 100, 0.3);
  ASSERT_EQ(VarnokSetROIFormat(0, kW, kW, 1, 3), 0);
  ASSERT_EQ(VarnokSetStartPos(0, kHomeX, kHomeY), 0);

  auto core_mean = [](const std::vector<uint8_t>& f, const simtest::Centroid& c) {
    double sum = 0;
    for (int dy = -2; dy <= 2; ++dy) {
      for (int dx = -2; dx <= 2; ++dx)
        sum += f[(static_cast<int>(c.y) + dy) * kW + static_cast<int>(c.x) + dx];
    }
    return sum / 25;
  };
  ASSERT_EQ(VarnokSetControlValue(0, VARNOK_CONTROL_GAIN, 120, 0), 0);
  const double dim = core_mean(Read(0), home);
  ASSERT_EQ(VarnokSetControlValue(0, VARNOK_CONTROL_GAIN, 240, 0), 0);
  const double bright = core_mean(Read(0), home);
  EXPECT_NEAR(bright / dim, 2.0, 0.1);

  ASSERT_EQ(VarnokSetControlValue(0, VARNOK_CONTROL_GAIN, 300, 0), 0);
  ASSERT_EQ(VarnokSetControlValue(0, VARNOK_CONTROL_FLIP, VARNOK_FLIP_HORIZONTAL, 0), 0);
  const auto h = BallNear(Read(0), kW, kW, kW - 1 - home.x, home.y);
  EXPECT_NEAR(h.x, kW - 1 - home.x, 0.3);
  EXPECT_NEAR(h.y, home.y, 0.3);
  ASSERT_EQ(VarnokSetControlValue(0, VARNOK_CONTROL_FLIP,
                                  VARNOK_FLIP_HORIZONTAL | VARNOK_FLIP_VERTICAL, 0),
            0);
  const auto hv = BallNear(Read(0), kW, kW, kW - 1 - home.x, kW - 1 - home.y);
  EXPECT_NEAR(hv.y, kW - 1 - home.y, 0.3);
}

// A putt rolling up the picture tells the time of each frame by where the ball is.
// Right of the target line and left of the painted line beside it: only the ball is that bright
// there.
constexpr const char* kRollingPutt = "at 0 place putt\nat 0.001 shot speed=1 vla=0\n";

double BallRow(int id) {
  const auto f = Read(id);
  return BrightCentroid(f, kW, kW, 180, 180, 75, 85, kW - 75).y;
}

TEST_F(VarnokContract, FreeRunAdvancesOneFramePeriodPerRead) {
  Load((std::string("fps free 400\n") + kRollingPutt).c_str());
  StartCamera(0);
  BallRow(0);
  const double a = BallRow(0);
  for (int i = 0; i < 8; ++i) BallRow(0);
  const double b = BallRow(0);
  // 1 m/s at 400 frames/s is 2.5 mm a frame.
  EXPECT_NEAR((a - b) / 9.0, 2.5 * kPxPerMm, 0.05);
}

TEST_F(VarnokContract, PacedReaderThatIsLateLosesFrames) {
  Load("fps 100\nat 0 place putt\nat 0.001 shot speed=0.5 vla=0\n");
  StartCamera(0);
  BallRow(0);
  const double b = BallRow(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));
  const double c = BallRow(0);
  // 0.5 m/s at 100 frames/s moves the ball 5 mm a frame; at least twelve frames went by.
  EXPECT_GT(b - c, 10 * 5.0 * kPxPerMm);
}

TEST_F(VarnokContract, PacedReadsBlockUntilTheFrameIsDueOrTimeOut) {
  Load("fps 50\n");
  const auto t0 = std::chrono::steady_clock::now();
  StartCamera(0);
  for (int i = 0; i < 6; ++i) Read(0);
  // Frame 5 is not due before five frame periods after the start.
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(100));

  Load("fps 1\n");
  StartCamera(0);
  Read(0);
  std::vector<uint8_t> f(kFrame);
  EXPECT_EQ(VarnokGetVideoData(0, f.data(), kFrame, 20), sim::kTimeout);
}

TEST_F(VarnokContract, InjectedFaultsFailReads) {
  Load("fps free 100\nat 0.05 fail main read 0.025\nat 0.2 fail main disconnect\n");
  StartCamera(0);
  std::vector<uint8_t> f(kFrame);
  std::vector<int> results;
  for (int i = 0; i < 25; ++i) results.push_back(VarnokGetVideoData(0, f.data(), kFrame, 100) != 0);
  const std::vector<int> expected = {0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 1};
  EXPECT_EQ(results, expected);
  // A disconnected camera cannot be opened again.
  ASSERT_EQ(VarnokCloseCamera(0), 0);
  EXPECT_NE(VarnokOpenCamera(0), 0);
}

// The side camera plugged in at 0.3 s, seen the way the sensor's reconnect timer looks: the count
// of connected cameras, then the camera found by its model name and opened.
TEST_F(VarnokContract, ACameraConnectedLaterCountsAndOpensFromThen) {
  struct Case {
    const char* script;
    int frames_before;  // main frames read before looking: paced ones leave a margin of time
  };
  const Case cases[] = {
      {"fps 100\ncameras 1\nat 0.3 connect side\n", 15},
      {"fps free 100\ncameras 1\nat 0.3 connect side\n", 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    Load(c.script);
    VarnokCameraProperty p;
    EXPECT_EQ(VarnokGetNumOfConnectedCameras(), 1);
    StartCamera(0);
    for (int i = 0; i < c.frames_before; ++i) Read(0);
    EXPECT_EQ(VarnokGetNumOfConnectedCameras(), 1);
    EXPECT_NE(VarnokGetCameraProperty(&p, 1), 0);
    EXPECT_NE(VarnokOpenCamera(1), 0);

    while (VarnokSimClockMs() < 300) Read(0);
    EXPECT_EQ(VarnokGetNumOfConnectedCameras(), 2);
    ASSERT_EQ(VarnokGetCameraProperty(&p, 1), 0);
    EXPECT_STREQ(p.name, "ZWO ASI136MC-B");
    // As the reconnect does: both closed, both opened again.
    ASSERT_EQ(VarnokCloseCamera(0), 0);
    StartCamera(0);
    StartCamera(1);
    Read(1);
    Read(0);
    // It joins the session where it stands and has lost nothing before it was there.
    EXPECT_GE(VarnokSimClockMs(), 300);
    EXPECT_EQ(VarnokSimLostFrames(1), 0);
    for (int id = 0; id < 2; ++id) ASSERT_EQ(VarnokCloseCamera(id), 0);
  }
}

TEST_F(VarnokContract, SlowFaultStretchesTheFramePeriod) {
  Load((std::string("fps free 400\nat 0 fail main slow 100\n") + kRollingPutt).c_str());
  StartCamera(0);
  BallRow(0);
  const double a = BallRow(0);
  const double b = BallRow(0);
  EXPECT_NEAR(a - b, 4 * 2.5 * kPxPerMm, 0.3);
}

TEST_F(VarnokContract, ScriptErrorLeavesNoCamera) {
  ::testing::internal::CaptureStderr();
  EXPECT_NE(VarnokSimLoadScript("fps 500\n\nat 1 place tea\n"), 0);
  const std::string err = ::testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("line 3"), std::string::npos) << err;
  EXPECT_NE(err.find("tea"), std::string::npos) << err;
  EXPECT_EQ(VarnokGetNumOfConnectedCameras(), 0);
  EXPECT_NE(VarnokOpenCamera(0), 0);
}

TEST_F(VarnokContract, EveryShotAndSwingAppendsOneTruthLine) {
  Load(
      "fps free 100\nat 0 place iron\nat 0.05 shot speed=45 hla=2.5 vla=18 backspin=6000 "
      "sidespin=-300 hand=right path=1.5\nat 0.1 swing hand=left club=chrome\n");
  StartCamera(0);
  ASSERT_EQ(VarnokOpenCamera(1), 0);
  ASSERT_EQ(VarnokStartVideoCapture(1), 0);
  for (int i = 0; i < 20; ++i) {
    Read(0);
    Read(1);
  }
  std::ifstream in(dir_ / "sim_truth.jsonl");
  std::string a, b, c;
  std::getline(in, a);
  std::getline(in, b);
  EXPECT_FALSE(std::getline(in, c));
  EXPECT_EQ(a,
            "{\"t\":0.05,\"kind\":\"shot\",\"area\":\"iron\",\"hand\":\"right\",\"speed\":45.0,"
            "\"hla\":2.5,\"vla\":18.0,\"backspin\":6000,\"sidespin\":-300,\"path\":1.5,"
            "\"club\":\"dark\"}");
  EXPECT_EQ(b,
            "{\"t\":0.1,\"kind\":\"swing\",\"area\":\"tee\",\"hand\":\"left\",\"path\":0.0,"
            "\"club\":\"chrome\"}");
}

// Every round of a looping session logs its strikes again, at the time they are played.
TEST_F(VarnokContract, ALoopingSessionLogsEachRoundsStrikesAtTheirTime) {
  Load("fps 100\nloop\nat 0 place iron\nat 0.1 shot speed=45 vla=18\nat 0.5 swing\nend 1\n");
  StartCamera(0);
  Read(0);
  std::this_thread::sleep_for(std::chrono::milliseconds(1150));
  Read(0);  // late: the newest frame, past the second round's shot
  std::ifstream in(dir_ / "sim_truth.jsonl");
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  ASSERT_GE(lines.size(), 3u);
  const auto at = [](const std::string& line) { return std::stod(line.substr(5)); };
  EXPECT_NEAR(at(lines[0]), 0.1, 1e-9);
  EXPECT_NEAR(at(lines[1]), 0.5, 1e-9);
  EXPECT_NEAR(at(lines[2]), 1.1, 1e-9);
  EXPECT_EQ(lines[2].substr(lines[2].find(',')), lines[0].substr(lines[0].find(',')));
}

}  // namespace
