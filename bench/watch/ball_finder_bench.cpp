// The hot loops of the ball watch against the frame period: the bright-pixel count over a whole
// frame (compared with a plain memory copy of the same frame) and the ball finder over small and
// large club areas, with a ball and on an empty mat.
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "camera/main_camera.h"
#include "common/memory_copy_bench.h"
#include "watch/bright_count.h"

namespace {

constexpr int32_t kSide = 320;

std::vector<uint8_t> NoisyMat() {
  std::vector<uint8_t> frame(kSide * kSide);
  std::mt19937 rng(7);
  for (auto& p : frame) p = static_cast<uint8_t>(30 + rng() % 40);
  return frame;
}

void BM_CountWhite(benchmark::State& state) {
  const auto frame = NoisyMat();
  const auto side = static_cast<int32_t>(state.range(0));
  const CRectT box = MakeRect(10, 10, side, side);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CountWhite(box, kSide, frame.data(), 50, kSide));
  }
  state.SetBytesProcessed(state.iterations() * int64_t{side} * side);
}
BENCHMARK(BM_CountWhite)->Arg(17)->Arg(300);

void BM_CountWhiteWholeFrame(benchmark::State& state) {
  const auto frame = NoisyMat();
  const CRectT box = MakeRect(0, 0, kSide, kSide);
  for (auto _ : state) {
    benchmark::DoNotOptimize(CountWhite(box, kSide, frame.data(), 50, kSide));
  }
  state.SetBytesProcessed(state.iterations() * int64_t{kSide} * kSide);
}
BENCHMARK(BM_CountWhiteWholeFrame);

// range(0): side of the square iron area; range(1): 1 with a ball in its middle, 0 without.
void BM_FindBall(benchmark::State& state) {
  CMainCamera camera;
  camera.SensorType = SENSOR_MAIN;
  camera.m_whiteNum.Init(SENSOR_MAIN);
  camera.m_buffers.Allocate(camera.m_whiteNum.m_width, camera.m_whiteNum.m_height);
  const auto side = static_cast<int32_t>(state.range(0));
  const int32_t origin = (kSide - side) / 2;
  camera.m_clubType = CLUB_IRON;
  camera.m_areas.ironArea = MakeRect(origin, origin, side, side);
  camera.m_areas.driverArea = MakeRect(0, 0, 10, 10);

  auto frame = NoisyMat();
  if (state.range(1) != 0) {
    const int32_t centre = kSide / 2;
    for (int32_t y = -10; y <= 10; ++y) {
      for (int32_t x = -10; x <= 10; ++x) {
        if (x * x + y * y <= 110) frame[(centre + y) * kSide + centre + x] = 220;
      }
    }
  }
  std::memcpy(camera.m_buffers.live.get(), frame.data(), frame.size());

  bool found = false;
  for (auto _ : state) {
    found = camera.FindBall();
    benchmark::DoNotOptimize(found);
  }
  state.counters["found"] = found ? 1 : 0;
}
BENCHMARK(BM_FindBall)->Args({60, 0})->Args({60, 1})->Args({200, 0})->Args({200, 1});

}  // namespace

BENCHMARK_MAIN();
