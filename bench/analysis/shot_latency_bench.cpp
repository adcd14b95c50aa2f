// How long a shot takes to reach the golf client on paced cameras, as at a bay: from the trigger
// frame's arrival to the 7101 send, split into the wait for the shot's frames, the analysis, its
// file writes and the wait for the side camera; and how many frames each camera lost meanwhile.
// One session per club area; a golf client in the process answers the sends.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "clientlink/client_link.h"
#include "platform/message_endpoint.h"
#include "sim_control.h"
#include "support/rendered_session.h"

namespace {

// Answers every message at once, as a client that copies the record out and returns.
class AnsweringClient {
 public:
  AnsweringClient() {
    endpoint_.Open(clientlink::kClientWindow);
    thread_ = std::thread([this] {
      while (endpoint_.ServeOnce(
                 -1, [](const platform::Message&, void*) -> int64_t { return 1; }, nullptr) >= 0) {
      }
    });
  }
  ~AnsweringClient() {
    endpoint_.Wake();
    thread_.join();
  }

 private:
  platform::MessageEndpoint endpoint_;
  std::thread thread_;
};

// Frames a camera lost to its analysis: the component's count of unread frames when the
// analysis starts and once the capture thread has read again after it.
class LostDuringAnalysis {
 public:
  LostDuringAnalysis(const CMainCamera& camera, int32_t id, const std::atomic<bool>& done)
      : thread_([&camera, id, &done, this] {
          int64_t before = -1;
          bool analysing = false;
          while (!done) {
            const bool now = camera.m_watch.m_analysing != 0;
            if (now && !analysing) before = VarnokSimLostFrames(id);
            if (!now && analysing) {
              // The next read after the analysis collects what came meanwhile.
              std::this_thread::sleep_for(std::chrono::milliseconds(20));
              lost_ = VarnokSimLostFrames(id) - before;
            }
            analysing = now;
            std::this_thread::sleep_for(std::chrono::microseconds(200));
          }
        }) {}
  ~LostDuringAnalysis() {
    if (thread_.joinable()) thread_.join();
  }
  int64_t Result() {
    thread_.join();
    return lost_;
  }

 private:
  int64_t lost_ = 0;
  std::thread thread_;
};

double Ms(int64_t fromUs, int64_t toUs) {
  return toUs > 0 && fromUs > 0 ? static_cast<double>(toUs - fromUs) / 1000.0 : 0.0;
}

void BM_PacedShotLatency(benchmark::State& state, const char* area, const char* shot) {
  const std::string sandbox =
      std::filesystem::temp_directory_path() / ("kestrix-latency-" + std::to_string(::getpid()));
  std::filesystem::create_directories(sandbox);
  ::setenv("KESTRIX_ENDPOINT_DIR", sandbox.c_str(), 1);
  ::setenv("KESTRIX_SHM_NAME", ("kestrix_latency_" + std::to_string(::getpid())).c_str(), 1);
  AnsweringClient client;
  RunTimings main, side;
  int64_t lostMain = 0, lostSide = 0;
  for (auto _ : state) {
    const std::string script = std::string("fps 500\ncameras 2\nseed 5\nat 1.0 place ") + area +
                               "\nat 4.0 shot " + shot + "\nend 6\n";
    RenderedSession session(script);
    std::atomic<bool> done{false};
    LostDuringAnalysis mainLost(session.core().mainCamera(), 0, done);
    LostDuringAnalysis sideLost(session.core().sideCamera(), 1, done);
    session.Run(2, 30.0);
    done = true;
    lostMain = mainLost.Result();
    lostSide = sideLost.Result();
    main = session.core().mainCamera().m_analysis.lastRun;
    side = session.core().sideCamera().m_analysis.lastRun;
  }
  std::filesystem::remove_all(sandbox);
  state.counters["trigger_to_7101_ms"] = Ms(main.startUs, main.deliveredUs);
  state.counters["frames_ms"] = Ms(main.startUs, main.framesReadUs);
  state.counters["analysis_ms"] =
      Ms(main.framesReadUs, main.measuredUs) - main.writeBeforeDeliveryUs / 1000.0;
  state.counters["writes_before_7101_ms"] = main.writeBeforeDeliveryUs / 1000.0;
  state.counters["side_wait_ms"] = Ms(main.measuredUs, main.sideArrivedUs);
  state.counters["chain_and_send_ms"] = Ms(main.sideArrivedUs, main.deliveredUs);
  state.counters["main_run_ms"] = Ms(main.startUs, main.finishedUs);
  state.counters["side_run_ms"] = Ms(side.startUs, side.finishedUs);
  state.counters["writes_total_ms"] = main.writeUs / 1000.0;
  state.counters["lost_frames_main"] = static_cast<double>(lostMain);
  state.counters["lost_frames_side"] = static_cast<double>(lostSide);
}

BENCHMARK_CAPTURE(BM_PacedShotLatency, driver, "tee",
                  "speed=68 hla=1.5 vla=12 backspin=2800 hand=right")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PacedShotLatency, iron, "iron",
                  "speed=45 hla=-2.0 vla=18 backspin=6000 hand=right")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_PacedShotLatency, bunker, "bunker",
                  "speed=28 hla=0.5 vla=30 backspin=7000 hand=right")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
