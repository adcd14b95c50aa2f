// What the operator's view costs the capture thread: one look at the request flag per frame,
// and a copy of the frame and its overlays when the view asked (four times a second).
#include <benchmark/benchmark.h>

#include <cstring>

#include "camera/main_camera.h"

namespace {

constexpr int32_t kSide = 320;

struct ViewCamera {
  CMainCamera camera;
  ViewCamera() {
    camera.m_whiteNum.m_width = kSide;
    camera.m_whiteNum.m_height = kSide;
    camera.m_buffers.Allocate(kSide, kSide);
    camera.m_view.Allocate(kSide, kSide);
    std::memset(camera.m_buffers.live.get(), 90, kSide * kSide);
  }
};

// Between the view's requests: every frame pays only this.
void BM_PublishNotWanted(benchmark::State& state) {
  ViewCamera v;
  v.camera.m_view.PublishIfWanted(v.camera);  // takes the first request
  for (auto _ : state) {
    v.camera.m_view.PublishIfWanted(v.camera);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PublishNotWanted);

// A frame on which the view had asked: the copy of picture and overlays.
void BM_PublishWanted(benchmark::State& state) {
  ViewCamera v;
  for (auto _ : state) {
    v.camera.m_view.Next();
    v.camera.m_view.PublishIfWanted(v.camera);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_PublishWanted);

}  // namespace

BENCHMARK_MAIN();
