// The component under the sensor's threads: a capture thread and a dialog thread on one id, both
// ids in parallel, free-run lock-step, and a close that releases a blocked read.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "VarnokV2.h"
#include "camera_rig.h"
#include "sim_component.h"
#include "sim_control.h"

namespace {

constexpr int kW = 320;
constexpr int kFrame = kW * kW;

void StartCamera(int id) {
  ASSERT_EQ(VarnokOpenCamera(id), 0);
  ASSERT_EQ(VarnokSetROIFormat(id, kW, kW, VARNOK_BIN_1, VARNOK_IMG_Y8), 0);
  ASSERT_EQ(VarnokSetStartPos(id, 812 + sim::kStereoShiftPx, 362), 0);
  ASSERT_EQ(VarnokStartVideoCapture(id), 0);
}

int32_t ReadOnce(int id, int wait_ms) {
  std::vector<uint8_t> f(kFrame);
  return VarnokGetVideoData(id, f.data(), kFrame, wait_ms);
}

class VarnokThreads : public ::testing::Test {
 protected:
  void TearDown() override {
    for (int id = 0; id < 2; ++id) VarnokCloseCamera(id);
    VarnokSimLoadScript(nullptr);
  }
};

TEST_F(VarnokThreads, FreeRunKeepsTheCamerasInStep) {
  ASSERT_EQ(VarnokSimLoadScript("fps free\n"), 0);
  StartCamera(0);
  StartCamera(1);
  // Camera 0 may run two frames ahead of camera 1, then its read waits (here: times out).
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ReadOnce(0, 50), 0) << i;
  EXPECT_EQ(ReadOnce(0, 50), sim::kTimeout);
  EXPECT_EQ(ReadOnce(1, 50), 0);
  EXPECT_EQ(ReadOnce(0, 50), 0);
  EXPECT_EQ(ReadOnce(0, 50), sim::kTimeout);

  // A reader that waits is released as soon as the other camera reads.
  std::atomic<int32_t> result{-1};
  std::thread blocked([&] { result = ReadOnce(0, 10000); });
  EXPECT_EQ(ReadOnce(1, 50), 0);
  blocked.join();
  EXPECT_EQ(result, 0);

  // A camera that stops streaming holds nobody back.
  ASSERT_EQ(VarnokCloseCamera(1), 0);
  for (int i = 0; i < 10; ++i) EXPECT_EQ(ReadOnce(0, 50), 0);
}

TEST_F(VarnokThreads, CloseReleasesABlockedRead) {
  ASSERT_EQ(VarnokSimLoadScript("fps 1\n"), 0);
  StartCamera(0);
  ASSERT_EQ(ReadOnce(0, 2000), 0);
  std::atomic<int32_t> result{-1};
  std::thread reader([&] { result = ReadOnce(0, 60000); });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  ASSERT_EQ(VarnokCloseCamera(0), 0);
  reader.join();
  EXPECT_EQ(result, sim::kClosed);
}

// Capture threads of both cameras read while a dialog thread moves windows and sets controls,
// as the sensor does; every read succeeds and nothing races (run under ThreadSanitizer).
TEST_F(VarnokThreads, CaptureAndDialogThreadsShareTheIds) {
  for (const char* script : {"fps free\nat 0 place tee\n", "fps 2000\nat 0 place tee\n"}) {
    SCOPED_TRACE(script);
    ASSERT_EQ(VarnokSimLoadScript(script), 0);
    StartCamera(0);
    StartCamera(1);
    std::atomic<bool> stop{false};
    std::atomic<int> failures{0};
    auto capture = [&](int id) {
      std::vector<uint8_t> f(kFrame);
      int32_t value = 0, flag = 0;
      for (int i = 0; i < 120; ++i) {
        VarnokGetControlValue(id, VARNOK_CONTROL_EXPOSURE, &value, &flag);
        if (VarnokGetVideoData(id, f.data(), kFrame, value * 20 + 5000) != 0) ++failures;
        if (i % 30 == 0) VarnokSetStartPos(id, 812 + sim::kStereoShiftPx + i % 7, 362);
        VarnokSetControlValue(id, VARNOK_CONTROL_GAIN, 250 + i % 50, 0);
      }
    };
    std::thread dialog([&] {
      int32_t value = 0, flag = 0;
      for (int i = 0; !stop; ++i) {
        VarnokSetControlValue(i % 2, VARNOK_CONTROL_GAIN, 300, 0);
        VarnokSetStartPos(i % 2, 812 + sim::kStereoShiftPx, 362 - i % 5);
        VarnokGetControlValue(i % 2, VARNOK_CONTROL_GAIN, &value, &flag);
        std::this_thread::yield();
      }
    });
    std::thread main_capture(capture, 0), side_capture(capture, 1);
    main_capture.join();
    side_capture.join();
    stop = true;
    dialog.join();
    EXPECT_EQ(failures, 0);
    VarnokCloseCamera(0);
    VarnokCloseCamera(1);
  }
}

}  // namespace
