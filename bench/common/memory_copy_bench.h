// The yardstick of the frame loops: a plain memory copy of one 320 x 320 frame, measured in the
// same program (and so on the same machine and load) as the loop it is compared with.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <vector>

inline void BM_MemoryCopyFrame(benchmark::State& state) {
  const std::vector<uint8_t> source(320 * 320, 77);
  std::vector<uint8_t> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), source.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_MemoryCopyFrame);
