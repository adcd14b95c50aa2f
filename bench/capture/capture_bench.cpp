// What the capture loop costs per frame against the frame period, and what two streaming cameras
// with an idle watch cost the machine. The simulated component renders every frame inside the
// read, so its rendering is measured on its own to tell the two apart.
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <time.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

#include "VarnokV2.h"
#include "camera/frame_history.h"
#include "camera/main_camera.h"
#include "platform/milli_clock.h"
#include "sim_control.h"

namespace {

constexpr int32_t kSide = 320;
constexpr double kFramePeriodUs = 1e6 / 500.0;  // the idle bay paces 500 frames per second

double CpuSeconds(clockid_t clock) {
  timespec t{};
  clock_gettime(clock, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double ThreadCpuSeconds(std::thread& thread) {
  clockid_t clock{};
  if (pthread_getcpuclockid(thread.native_handle(), &clock) != 0) return 0.0;
  return CpuSeconds(clock);
}

std::string BenchDirectory() {
  const auto dir = std::filesystem::temp_directory_path() / "kestrix_capture_bench";
  std::filesystem::create_directories(dir);
  return dir.string();
}

// Frames delivered to the watch, summed over the per-second counters while polling them.
struct FrameTally {
  int64_t total = 0;
  int32_t lastSecondStart = 0;
  void Poll(const CaptureState& s) {
    if (s.m_secondStart != lastSecondStart && lastSecondStart != 0) total += s.m_framesLastSecond;
    lastSecondStart = s.m_secondStart;
  }
  int64_t Now(const CaptureState& s) const { return total + s.m_frameCount; }
};

void BM_ShiftFrameHistory(benchmark::State& state) {
  FrameBuffers buffers;
  buffers.Allocate(kSide, kSide);
  for (auto _ : state) {
    ShiftFrameHistory(buffers);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * 4 * kSide * kSide);
  state.counters["frame_period_us"] = kFramePeriodUs;
}
BENCHMARK(BM_ShiftFrameHistory);

// The frame-rate and frames-per-second bookkeeping reads the clock up to three times a frame.
void BM_MilliClock(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(platform::MilliClock());
}
BENCHMARK(BM_MilliClock);

// The two camera calls of a pass (exposure read-back, frame read) on a free-running simulated
// camera: almost all of it is the simulator rendering the frame.
void BM_SimulatedCameraCalls(benchmark::State& state) {
  VarnokSimLoadScript("cameras 1\nfps free\n");
  VarnokOpenCamera(0);
  VarnokSetROIFormat(0, kSide, kSide, VARNOK_BIN_1, VARNOK_IMG_Y8);
  VarnokStartVideoCapture(0);
  FrameBuffers buffers;
  buffers.Allocate(kSide, kSide);
  for (auto _ : state) {
    int32_t exposure = 0, autoFlag = 0;
    VarnokGetControlValue(0, VARNOK_CONTROL_EXPOSURE, &exposure, &autoFlag);
    benchmark::DoNotOptimize(VarnokGetVideoData(0, buffers.live.get(), kSide * kSide, 5000));
  }
  VarnokCloseCamera(0);
  VarnokSimLoadScript(nullptr);
  state.counters["frame_period_us"] = kFramePeriodUs;
}
BENCHMARK(BM_SimulatedCameraCalls)->Unit(benchmark::kMicrosecond);

// The whole capture thread on a free-running camera: CPU time of the thread per delivered frame
// (history, bookkeeping, camera calls including the simulator's rendering, the idle watch step).
void BM_CaptureThreadPerFrame(benchmark::State& state) {
  VarnokSimLoadScript("cameras 1\nfps free\n");
  for (auto _ : state) {
    CMainCamera camera;
    if (!camera.Open(BenchDirectory().c_str(), SENSOR_MAIN)) {
      state.SkipWithError("the simulated camera did not open");
      break;
    }
    FrameTally tally;
    const auto start = std::chrono::steady_clock::now();
    const double cpu0 = ThreadCpuSeconds(camera.m_capture.m_thread);
    const int64_t frames0 = tally.Now(camera.m_capture);
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(3)) {
      tally.Poll(camera.m_capture);
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    tally.Poll(camera.m_capture);
    const double cpu = ThreadCpuSeconds(camera.m_capture.m_thread) - cpu0;
    const int64_t frames = tally.Now(camera.m_capture) - frames0;
    camera.EndCaptureThread();
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["thread_cpu_us_per_frame"] = frames > 0 ? cpu * 1e6 / frames : 0.0;
    state.counters["frame_period_us"] = kFramePeriodUs;
  }
  VarnokSimLoadScript(nullptr);
}
BENCHMARK(BM_CaptureThreadPerFrame)->Iterations(1)->Unit(benchmark::kMillisecond);

// Two cameras streaming at the paced 500 frames per second into an idle watch, for a few
// seconds: CPU of the whole process and of each capture thread, in percent of one processor.
void BM_TwoCamerasIdleCpu(benchmark::State& state) {
  VarnokSimLoadScript(nullptr);
  for (auto _ : state) {
    CMainCamera main;
    CSideCamera side;
    if (!main.Open(BenchDirectory().c_str(), SENSOR_MAIN) ||
        !side.Open(BenchDirectory().c_str(), SENSOR_SIDE)) {
      state.SkipWithError("the simulated cameras did not open");
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // past the start-up
    FrameTally mainTally, sideTally;
    const auto start = std::chrono::steady_clock::now();
    const double process0 = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double main0 = ThreadCpuSeconds(main.m_capture.m_thread);
    const double side0 = ThreadCpuSeconds(side.m_capture.m_thread);
    const int64_t mainFrames0 = mainTally.Now(main.m_capture);
    const int64_t sideFrames0 = sideTally.Now(side.m_capture);
    while (std::chrono::steady_clock::now() - start < std::chrono::seconds(4)) {
      mainTally.Poll(main.m_capture);
      sideTally.Poll(side.m_capture);
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    mainTally.Poll(main.m_capture);
    sideTally.Poll(side.m_capture);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.counters["process_cpu_percent"] =
        100.0 * (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - process0) / wall;
    state.counters["main_thread_cpu_percent"] =
        100.0 * (ThreadCpuSeconds(main.m_capture.m_thread) - main0) / wall;
    state.counters["side_thread_cpu_percent"] =
        100.0 * (ThreadCpuSeconds(side.m_capture.m_thread) - side0) / wall;
    state.counters["main_fps"] =
        static_cast<double>(mainTally.Now(main.m_capture) - mainFrames0) / wall;
    state.counters["side_fps"] =
        static_cast<double>(sideTally.Now(side.m_capture) - sideFrames0) / wall;
    main.EndCaptureThread();
    side.EndCaptureThread();
  }
}
BENCHMARK(BM_TwoCamerasIdleCpu)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // A free-running camera at real-time priority would take a whole processor from everything
  // else on the machine.
  setenv("KESTRIX_NO_REALTIME", "1", 0);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
