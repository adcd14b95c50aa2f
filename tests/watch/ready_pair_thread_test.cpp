// The two cameras' watches on their own threads, meeting only through each other's ready flag,
// ball state and counters, as on the sensor's two capture threads.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "clientlink/client_link.h"
#include "watch/camera_pair.h"

namespace {

struct Heard {
  std::atomic<int> ready{0};
  std::atomic<int> notReady{0};
  std::atomic<int64_t> clubType{-1};
};

void Listen(uint32_t code, int64_t lParam, void* context) {
  auto* heard = static_cast<Heard*>(context);
  if (code == clientlink::CODE_BALL_READY) {
    heard->clubType = lParam;
    ++heard->ready;
  }
  if (code == clientlink::CODE_BALL_NOT_READY) ++heard->notReady;
}

TEST(ReadyPairThreads, CamerasOnTheirOwnThreadsReportReadinessOnce) {
  Heard heard;
  clientlink::SetMessageTap(&Listen, &heard);
  CameraPair pair(CLUB_IRON);
  // Each watch runs until the pair has been reported, with a frame cap as a safety net only.
  constexpr int kFrameCap = 2'000'000;
  const auto watch = [&heard](CMainCamera& camera) {
    for (int i = 0; i < kFrameCap && heard.ready == 0; ++i) camera.WatchFrame();
    // A few more frames with the readiness standing: nothing more may be reported.
    for (int i = 0; i < 200; ++i) camera.WatchFrame();
  };
  std::thread mainThread(watch, std::ref(pair.main.camera));
  std::thread sideThread(watch, std::ref(pair.side.camera));
  mainThread.join();
  sideThread.join();
  clientlink::SetMessageTap(nullptr, nullptr);

  EXPECT_EQ(heard.ready, 1);
  EXPECT_EQ(heard.clubType, CLUB_IRON);
  EXPECT_EQ(heard.notReady, 0);
  EXPECT_EQ(pair.main.camera.m_watch.m_ballState, BALL_READY);
  EXPECT_EQ(pair.side.camera.m_watch.m_ballState, BALL_READY);
}

}  // namespace
