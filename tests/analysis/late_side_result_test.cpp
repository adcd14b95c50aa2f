// A side camera whose result comes after the main camera has given up on it: that result must
// never be taken for the next shot. Paced cameras, as at a bay, since the main camera's wait is
// counted in camera frames.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "analysis/shot_run.h"
#include "camera/varnok_call_log.h"
#include "support/rendered_session.h"

namespace {

bool InStore(const CMainCamera& camera, const uint8_t* buffer) {
  const FrameBuffers& b = camera.m_buffers;
  const auto frame = static_cast<size_t>(b.imageSize);
  return b.shotStore && buffer >= b.shotStore.get() &&
         buffer < b.shotStore.get() + frame * kShotStoreFrames;
}

float SpeedInName(const std::string& name) {
  const size_t at = name.find("(S ");
  return at == std::string::npos ? -1.0f : std::strtof(name.c_str() + at + 3, nullptr);
}

TEST(LateSideResult, IsNeverTakenForTheNextShot) {
  RenderedSession session(
      "fps 500\ncameras 2\nseed 12\n"
      "at 1.0 place iron\nat 4.0 shot speed=40 hla=1 vla=20 backspin=6000 path=3\n"
      "at 6.0 place iron\nat 9.0 shot speed=48 hla=-1 vla=17 backspin=5500 path=-2\nend 11\n");
  const CMainCamera& side = session.core().sideCamera();
  // The side camera's first shot reads its frames slowly: its result comes after the main
  // camera's wait of 202 frames has run out.
  std::atomic<int> slowReads{0};
  varnok_log::ReadHook hook;
  hook.before = [&](int32_t, uint8_t* buffer) {
    if (InStore(side, buffer) && slowReads < kShotFrames - 1) {
      ++slowReads;
      std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
  };
  varnok_log::SetReadHook(hook);
  const bool finished = session.Run(4, 30.0);
  varnok_log::ClearReadHook();
  ASSERT_TRUE(finished);

  const auto records = session.Records();
  ASSERT_EQ(records.size(), 4u);
  // Shot 1: the main camera gave up; the side camera finished its own run afterwards.
  EXPECT_TRUE(records[0].main ? records[0].Has("-> No HAngle Cam2 <-")
                              : records[1].Has("-> No HAngle Cam2 <-"));
  // Shot 2: the main camera took the side camera's result of shot 2.
  const ShotDirectory& main2 = records[2].main ? records[2] : records[3];
  const ShotDirectory& side2 = records[2].main ? records[3] : records[2];
  ASSERT_TRUE(main2.Delivered()) << main2.name;
  const std::string key = ", speedTopSide : ";
  const size_t at = main2.log.find(key);
  ASSERT_NE(at, std::string::npos) << main2.log;
  EXPECT_NEAR(std::strtof(main2.log.c_str() + at + key.size(), nullptr), SpeedInName(side2.name),
              0.006);
}

}  // namespace
