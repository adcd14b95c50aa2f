// The generator's table read back by the sensor's loader, and the table the build produced.
#include <gtest/gtest.h>

#include "flight_file_bytes.h"
#include "flighttable/flight_grid.h"
#include "flighttable/flight_table_writer.h"
#include "trajectory/trajectory.h"
#include "trajectory/ts_base.h"

namespace {

using namespace flighttable;

TEST(FlightTableRoundTripTest, LoaderReadsEveryGeneratedFlightUnchanged) {
  const std::vector<CTableFlight> grid = BuildFlightGrid(0.01);
  ASSERT_EQ(grid.size(), 620u);
  const std::string path = UniqueTempPath();
  ASSERT_TRUE(WriteFlightTable(path, grid));
  cTrajectory table;
  const bool loaded = table.Load(path.c_str());
  std::remove(path.c_str());
  ASSERT_TRUE(loaded);
  ASSERT_EQ(table.Count(), 620);
  for (int slot = 0; slot < 620; ++slot) {
    SCOPED_TRACE(slot);
    const CFlightEntry& entry = *table.Slot(slot);
    const CTableFlight& flight = grid[slot];
    EXPECT_EQ(entry.m_speed, 10.0f * (slot / 31 + 1));
    EXPECT_EQ(entry.m_ElevationDeg, 2.0f * (slot % 31));
    EXPECT_EQ(entry.m_carry, flight.m_carry);
    EXPECT_EQ(entry.m_third, flight.m_apex);
    ASSERT_EQ(entry.m_pointCount, static_cast<int>(flight.m_points.size()));
    for (int i = 0; i < entry.m_pointCount; ++i) {
      EXPECT_EQ(entry.m_points[i].m_height, flight.m_points[i].m_height);
      EXPECT_EQ(entry.m_points[i].m_distance, flight.m_points[i].m_distance);
    }
  }
}

#ifdef KESTRIX_DATA_BI
TEST(FlightTableRoundTripTest, BuiltTableGivesEveryCellAFlight) {
  cTrajectory table;
  ASSERT_TRUE(table.Load(KESTRIX_DATA_BI));
  ASSERT_EQ(table.Count(), 620);
  // Every speed band from 10 mph and every elevation below 60 deg finds its flight.
  for (float mph = 10.5f; mph < 199.9f; mph += 5.0f) {
    for (float elevation = 0.5f; elevation < 60.0f; elevation += 1.0f) {
      EXPECT_NE(table.GetOne(mph / 2.23f, elevation), nullptr) << mph << " mph " << elevation;
    }
  }
  // A tour drive (74.9 m/s, 10.9 deg, above the low-launch reduction) takes the 170 mph,
  // 12 deg flight, in metres.
  cTS_Base ts{table};
  ts.m_input[1] = 10.9f;
  ts.m_input[2] = 74.9f;
  ASSERT_EQ(ts.Swing_GetTrajectory2(), 1);
  const CFlightEntry* entry = table.GetOne(74.9f, 10.9f);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->m_speed, 170.0f);
  EXPECT_EQ(entry->m_ElevationDeg, 12.0f);
  EXPECT_GT(entry->m_carry, 200.0f);
  EXPECT_LT(entry->m_carry, 280.0f);
  EXPECT_EQ(ts.m_pointCount, entry->m_pointCount);
}
#endif

}  // namespace
