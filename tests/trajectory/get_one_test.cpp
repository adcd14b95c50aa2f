// Lookup of a flight by speed and elevation: clamps, row and column, the elevation check and the
// step to the next row and column.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "flight_file_bytes.h"
#include "trajectory/trajectory.h"

namespace {

class GetOneTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(GridFile().LoadInto(s_table)); }
  static cTrajectory s_table;
};
cTrajectory GetOneTest::s_table;

struct LookupCase {
  const char* what;
  float speed;  // m/s
  float elevation;
  int row;  // the cell the values fall in; the flight comes from row + 1, column + 1
  int column;
};

TEST_F(GetOneTest, UsesNextRowAndColumnOfTheCell) {
  const LookupCase cases[] = {
      {"4 m/s is looked up as 10 mph, row 1", 4.0f, 10.0f, 1, 5},
      {"100 m/s is looked up as 199.9 mph, row 18", 100.0f, 10.0f, 18, 5},
      {"an infinite speed is looked up as 199.9 mph", std::numeric_limits<float>::infinity(), 10.0f,
       18, 5},
      {"30 m/s is 66.9 mph, row 5", 30.0f, 10.0f, 5, 5},
      {"17.9 m/s is 39.9 mph at 2.23 mph per m/s, row 2", 17.9f, 10.0f, 2, 5},
      {"elevation 61 is looked up as 59.9, column 29", 30.0f, 61.0f, 5, 29},
      {"elevation 60 is looked up as 59.9", 30.0f, 60.0f, 5, 29},
      {"elevation 59.95 is looked up unchanged, column 29", 30.0f, 59.95f, 5, 29},
      {"elevation -3 is looked up as 0", 30.0f, -3.0f, 5, 0},
      {"elevation just below a column value stays in the column below", 30.0f, 11.99f, 5, 5},
      {"elevation on a column value", 30.0f, 12.0f, 5, 6},
  };
  for (const LookupCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CFlightEntry* entry = s_table.GetOne(c.speed, c.elevation);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->m_carry, float((c.row + 1) * 31 + c.column + 1));
  }
}

TEST_F(GetOneTest, NotANumberFindsNothing) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  EXPECT_EQ(s_table.GetOne(nan, 10.0f), nullptr);
  EXPECT_EQ(s_table.GetOne(30.0f, nan), nullptr);
}

TEST(GetOneTableTest, ElevationOutsideTheColumnValuesFindsNothing) {
  // Columns one degree apart: elevation 10 falls in column 5, whose entries say 5 and 6 deg.
  cTrajectory table;
  ASSERT_TRUE(GridFile(1.0f).LoadInto(table));
  EXPECT_EQ(table.GetOne(30.0f, 10.0f), nullptr);
  EXPECT_EQ(table.GetOne(30.0f, 5.5f), nullptr);  // column 2: 2 and 3 deg
  EXPECT_EQ(table.GetOne(30.0f, 1.0f), nullptr);  // column 0: 1 is not below 1
  EXPECT_NE(table.GetOne(30.0f, 0.5f), nullptr);  // column 0: 0 <= 0.5 < 1 still passes
}

TEST(GetOneTableTest, SlotsTheFileDidNotFillHaveNoFlight) {
  FlightFileBytes file;
  file.Int32(0);
  for (int slot = 0; slot < 100; ++slot) {
    file.Entry(2, float(slot), 2.0f * (slot % 31), 10.0f * (slot / 31 + 1),
               FlightFileBytes::Path(2, 1.0f));
  }
  cTrajectory table;
  ASSERT_TRUE(file.LoadInto(table));
  EXPECT_EQ(table.Count(), 100);
  EXPECT_NE(table.GetOne(10.0f, 10.0f), nullptr);  // 22 mph: row 1, flight in row 2
  EXPECT_EQ(table.GetOne(30.0f, 10.0f), nullptr);  // flight in row 6, never loaded
  EXPECT_EQ(cTrajectory().GetOne(30.0f, 10.0f), nullptr);
}

}  // namespace
