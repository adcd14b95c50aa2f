// The flight path is computed on the capture thread after every full shot; these measure what
// that costs with the generated table.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "flighttable/flight_grid.h"
#include "flighttable/flight_table_writer.h"
#include "trajectory/trajectory.h"
#include "trajectory/ts_base.h"

namespace {

const cTrajectory& GeneratedTable() {
  static const cTrajectory table = [] {
    cTrajectory loaded;
    const std::string path = "trajectory_bench_data.bi";
    if (flighttable::WriteFlightTable(path, flighttable::BuildFlightGrid(0.01))) {
      loaded.Load(path.c_str());
      std::remove(path.c_str());
    }
    return loaded;
  }();
  return table;
}

void BM_GetOne(benchmark::State& state) {
  const cTrajectory& table = GeneratedTable();
  float elevation = 0.0f;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.GetOne(60.0f, elevation));
    elevation = elevation < 58.0f ? elevation + 0.37f : 0.0f;
  }
}
BENCHMARK(BM_GetOne);

// A drive with side spin: the longest paths of a normal session.
void BM_SwingGetTrajectory2(benchmark::State& state) {
  auto ts = std::make_unique<cTS_Base>(GeneratedTable());
  int points = 0;
  for (auto _ : state) {
    ts->Reset();
    ts->m_input[0] = 2.0f;
    ts->m_input[1] = 11.0f;
    ts->m_input[2] = 74.0f;
    ts->m_input[4] = static_cast<float>(state.range(0));
    benchmark::DoNotOptimize(ts->Swing_GetTrajectory2());
    points = ts->m_pointCount;
  }
  state.SetItemsProcessed(state.iterations() * points);
}
BENCHMARK(BM_SwingGetTrajectory2)->Arg(0)->Arg(1500)->Arg(8000);

}  // namespace

BENCHMARK_MAIN();
