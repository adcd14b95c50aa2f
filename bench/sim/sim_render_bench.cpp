// Cost of one simulated 320 x 320 frame, and what two cameras at 500 frames per second take of
// one core ("core_at_2x500": must stay below 0.2).
#include <benchmark/benchmark.h>
#include <time.h>

#include <string>
#include <vector>

#include "frame_renderer.h"
#include "scene_snapshot.h"
#include "sim_component.h"

namespace {

constexpr int kW = 320;

sim::SessionPlan ShotPlan() {
  sim::SessionPlan plan;
  std::string error;
  sim::ParseSessionScript(
      "fps free 500\nat 0 place tee\nat 0 place iron\nat 0.01 shot speed=50 vla=14 area=tee\n",
      plan, error);
  return plan;
}

double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + ts.tv_nsec * 1e-9;
}

// Fraction of one core for 1000 frames a second, from this thread's CPU time per frame.
void Report(benchmark::State& state, double cpu_seconds) {
  state.SetItemsProcessed(state.iterations() * kW * kW);
  state.counters["core_at_2x500"] = cpu_seconds / static_cast<double>(state.iterations()) * 1000.0;
}

// Renderer alone, at t ms: -1 the empty mat; 0 two balls at rest and the club coming down; 12 a
// ball in flight, the club and a ball at rest.
void BM_RenderFrame(benchmark::State& state) {
  const sim::SessionPlan plan = ShotPlan();
  sim::SceneSnapshot scene;
  sim::SceneAt(plan, state.range(0) / 1000.0, scene);
  sim::FrameRenderer renderer;
  sim::FrameRequest request;
  request.x0 = 812;
  request.y0 = 362;
  std::vector<uint8_t> frame(kW * kW);
  renderer.Render(request, scene, frame.data());  // the mat tiles are drawn once
  const double start = ThreadCpuSeconds();
  for (auto _ : state) {
    ++request.frame_index;
    renderer.Render(request, scene, frame.data());
    benchmark::DoNotOptimize(frame.data());
  }
  Report(state, ThreadCpuSeconds() - start);
}
BENCHMARK(BM_RenderFrame)->Arg(-1)->Arg(0)->Arg(12);

// The whole read path of the component in free-run: lock, scene at the frame's time, render.
void BM_ComponentRead(benchmark::State& state) {
  sim::SimComponent component(ShotPlan(), true);
  component.Open(0);
  component.SetRoi(0, kW, kW, 1, 3);
  component.SetStartPos(0, 812, 362);
  component.StartCapture(0);
  std::vector<uint8_t> frame(kW * kW);
  component.Read(0, frame.data(), kW * kW, 1000);
  const double start = ThreadCpuSeconds();
  for (auto _ : state) {
    if (component.Read(0, frame.data(), kW * kW, 1000) != 0) state.SkipWithError("read failed");
    benchmark::DoNotOptimize(frame.data());
  }
  Report(state, ThreadCpuSeconds() - start);
}
BENCHMARK(BM_ComponentRead);

}  // namespace

BENCHMARK_MAIN();
