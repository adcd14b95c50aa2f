// The flight table "data.bi" as any file: what loads is whole (every kept flight has 1 to 1500
// points and no more slots than the table has), and the path of a shot is computed from it for
// a spread of shots without a fault, as the capture thread does after every shot.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "trajectory/trajectory.h"
#include "trajectory/ts_base.h"

namespace {

struct Shot {
  float hAngle, vAngle, speed, sideSpin;
};

// Speeds across every row (m/s, the table is in mph), elevations across every column, both
// clamps, and spins both ways and beyond the clamp.
constexpr Shot kShots[] = {
    {0.0f, 12.0f, 60.0f, 0.0f},    {-5.0f, 3.0f, 30.0f, -2000.0f},
    {8.0f, 25.0f, 45.0f, 6000.0f}, {0.0f, 59.95f, 89.6f, 300.0f},
    {1.0f, -4.0f, 2.0f, 0.0f},     {-30.0f, 40.0f, 120.0f, -9000.0f},
    {2.0f, 10.0f, 26.0f, 1000.0f}, {0.0f, 0.0f, 4.5f, 0.0f},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = fuzz::ScratchFile("data.bi");
  fuzz::WriteFile(path, std::string_view(reinterpret_cast<const char*>(data), size));

  static cTrajectory table;  // the process-wide table is as long-lived
  table.Load(path.c_str());
  FUZZ_CHECK(table.Count() >= 0 && table.Count() <= cTrajectory::kSlotCount,
             "no more flights than slots");
  for (int i = 0; i < table.Count(); ++i) {
    const CFlightEntry* entry = table.Slot(i);
    FUZZ_CHECK(entry != nullptr, "every counted slot holds a flight");
    FUZZ_CHECK(entry->m_pointCount >= 1 && entry->m_pointCount <= cTrajectory::kMaxPoints &&
                   static_cast<size_t>(entry->m_pointCount) == entry->m_points.size(),
               "a kept flight has all its points, 1 to 1500");
  }
  FUZZ_CHECK(table.Slot(table.Count()) == nullptr && table.Slot(-1) == nullptr,
             "slots past the flights are empty");

  static cTS_Base path3d(table);
  for (const Shot& shot : kShots) {
    path3d.Reset();
    path3d.m_input[0] = shot.hAngle;
    path3d.m_input[1] = shot.vAngle;
    path3d.m_input[2] = shot.speed;
    path3d.m_input[4] = shot.sideSpin;
    const int made = path3d.Swing_GetTrajectory2();
    FUZZ_CHECK(made == 0 || made == 1, "a path is made or not");
    FUZZ_CHECK(path3d.m_pointCount >= 0 && path3d.m_pointCount <= cTS_Base::kMaxPoints,
               "a path fits the client's block");
    FUZZ_CHECK(made == 1 || path3d.m_pointCount == 0, "no path has no points");
  }
  return 0;
}
