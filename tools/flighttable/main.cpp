// kestrix-flighttable: writes the sensor's flight table "data.bi" from the ball-flight model.
//   kestrix-flighttable [output]     write the table (default "data.bi" in the current directory)
//   kestrix-flighttable --validate   print the model's carries of the published drives
#include <cstdio>
#include <cstring>
#include <string>

#include "flight_grid.h"
#include "flight_table_writer.h"
#include "published_shots.h"

namespace {

// 10 ms between path points keeps the longest flight of the grid well under 1500 points.
constexpr double kPointStepSeconds = 0.01;

int Validate() {
  for (const flighttable::CPublishedShot& shot : flighttable::kPublishedDrives) {
    std::printf("%.0f mph, %.1f deg, %.0f rpm: model carry %.1f yd, published %.0f yd\n",
                shot.m_speedMph, shot.m_elevationDeg, shot.m_backSpinRpm,
                flighttable::ModelCarryYards(shot), shot.m_carryYards);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 2 || (argc == 2 && std::strcmp(argv[1], "--help") == 0)) {
    std::fprintf(stderr, "usage: kestrix-flighttable [output path | --validate]\n");
    return 2;
  }
  if (argc == 2 && std::strcmp(argv[1], "--validate") == 0) return Validate();

  const std::string path = argc == 2 ? argv[1] : "data.bi";
  const auto grid = flighttable::BuildFlightGrid(kPointStepSeconds);
  if (!flighttable::WriteFlightTable(path, grid)) {
    std::fprintf(stderr, "kestrix-flighttable: cannot write %s\n", path.c_str());
    return 1;
  }
  std::printf("kestrix-flighttable: %zu flights (metres, points every %.0f ms) -> %s\n",
              grid.size(), kPointStepSeconds * 1000.0, path.c_str());
  return 0;
}
