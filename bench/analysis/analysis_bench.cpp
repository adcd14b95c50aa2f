// The shot analysis against the time its frames take to arrive: 30 frames at 500 frames per second
// come in 60 ms. The ball track of a rendered driver shot without its file writes, the writes of
// one shot on their own, and the differencing over a whole frame beside a memory copy of it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "analysis/ball_track.h"
#include "analysis/diff_frames.h"
#include "analysis/frame_dump.h"
#include "analysis/shot_run.h"
#include "common/memory_copy_bench.h"
#include "recorded_shot.h"

namespace {

constexpr double kThirtyFramesMs = 60.0;
constexpr int32_t kSide = 320;

const RecordedShot& DriverShot() {
  static const RecordedShot shot = RecordedShot::FromDemoScript("shot_driver.txt");
  return shot;
}

std::vector<uint8_t> NoisyFrame(uint32_t seed) {
  std::vector<uint8_t> frame(kSide * kSide);
  std::mt19937 rng(seed);
  for (auto& p : frame) p = static_cast<uint8_t>(rng());
  return frame;
}

// Times the loop by the wall clock as well, to state the time per shot as a share of the time
// the shot's frames take to arrive.
class ShareOfArrival {
 public:
  ShareOfArrival() : start_(std::chrono::steady_clock::now()) {}
  void Report(benchmark::State& state) const {
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start_)
            .count();
    const double perShot =
        state.iterations() > 0 ? ms / static_cast<double>(state.iterations()) : 0;
    state.counters["ms_per_shot"] = perShot;
    state.counters["of_30_frames_at_500fps"] = perShot / kThirtyFramesMs;
  }

 private:
  std::chrono::steady_clock::time_point start_;
};

void BM_TrackDriverShotWithoutWrites(benchmark::State& state) {
  static CMainCamera camera;
  DriverShot().LoadInto(camera);
  ShotRun run(camera);
  run.frameCount = kShotFrames;  // no directory: nothing is written
  int64_t kept = 0;
  const ShareOfArrival share;
  for (auto _ : state) {
    for (CBalls& slot : camera.m_balls) slot = CBalls{};
    SetUpBallTrack(run);
    benchmark::DoNotOptimize(TrackBall(run));
    kept = run.track.foundCount;
  }
  share.Report(state);
  state.counters["kept_frames"] = static_cast<double>(kept);
}
BENCHMARK(BM_TrackDriverShotWithoutWrites)->Unit(benchmark::kMillisecond);

// Three dumps per shot frame, four pre-shot frames, the handedness image and two club-path
// difference images: the most one camera's shot writes.
void BM_WriteOneShotsFrameDumps(benchmark::State& state) {
  const auto frame = NoisyFrame(3);
  const std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                    ("kestrix-bench-dumps-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const int files = 3 * kShotFrames + 7;
  const ShareOfArrival share;
  for (auto _ : state) {
    for (int i = 0; i < files; ++i) {
      const std::string path = (dir / ("image_" + std::to_string(i) + ".bmp")).string();
      WriteFrameDump(frame.data(), kSide, kSide, path.c_str());
    }
  }
  share.Report(state);
  std::filesystem::remove_all(dir);
  state.SetBytesProcessed(state.iterations() * files * FrameDumpBytes(kSide, kSide));
}
BENCHMARK(BM_WriteOneShotsFrameDumps)->Unit(benchmark::kMillisecond);

void BM_DiffFramesWholeFrame(benchmark::State& state) {
  const auto background = NoisyFrame(1);
  const auto frame = NoisyFrame(2);
  std::vector<uint8_t> mask(frame.size()), difference(frame.size());
  const CRectT whole = MakeRect(0, 0, kSide, kSide);
  for (auto _ : state) {
    DiffFrames(-1, mask.data(), difference.data(), background.data(), frame.data(), whole, kSide,
               kSide);
    benchmark::DoNotOptimize(mask.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
}
BENCHMARK(BM_DiffFramesWholeFrame);

}  // namespace

BENCHMARK_MAIN();
