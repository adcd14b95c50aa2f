// Loading "data.bi": the layout, and broken files that must load what they hold whole and never
// more.
#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "flight_file_bytes.h"
#include "trajectory/trajectory.h"

namespace {

FlightFileBytes ThreeFlights() {
  FlightFileBytes file;
  file.Int32(3);
  file.Entry(2, 10.0f, 0.0f, 10.0f, {{0.0f, 0.0f}, {1.5f, 2.5f}});
  file.Entry(1, 11.0f, 2.0f, 10.0f, {{0.25f, 0.75f}});
  file.Entry(3, 12.0f, 4.0f, 10.0f, FlightFileBytes::Path(3, 2.0f));
  return file;
}

TEST(TableLoadTest, ReadsEntriesInFileOrder) {
  cTrajectory table;
  ASSERT_TRUE(ThreeFlights().LoadInto(table));
  ASSERT_EQ(table.Count(), 3);
  const CFlightEntry* second = table.Slot(1);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->m_pointCount, 1);
  EXPECT_EQ(second->m_carry, 11.0f);
  EXPECT_EQ(second->m_third, -1.0f);
  EXPECT_EQ(second->m_ElevationDeg, 2.0f);
  EXPECT_EQ(second->m_speed, 10.0f);
  EXPECT_EQ(second->m_points[0].m_height, 0.25f);
  EXPECT_EQ(second->m_points[0].m_distance, 0.75f);
  EXPECT_EQ(table.Slot(0)->m_points[1].m_distance, 2.5f);
  EXPECT_EQ(table.Slot(2)->m_points[2].m_distance, 4.0f);
  EXPECT_EQ(table.Slot(3), nullptr);
}

TEST(TableLoadTest, EntriesWithoutPointsTakeTheirHeadOnlyAndAreNotStored) {
  FlightFileBytes file;
  file.Int32(0);
  file.Entry(0, 1.0f, 0.0f, 10.0f, {});
  file.Entry(-5, 2.0f, 0.0f, 10.0f, {});
  file.Entry(INT_MIN, 3.0f, 0.0f, 10.0f, {});
  file.Entry(1, 4.0f, 2.0f, 10.0f, {{1.0f, 2.0f}});
  cTrajectory table;
  ASSERT_TRUE(file.LoadInto(table));
  ASSERT_EQ(table.Count(), 1);
  EXPECT_EQ(table.Slot(0)->m_carry, 4.0f);
}

TEST(TableLoadTest, BrokenFilesKeepTheEntriesReadWholeBeforeTheBreak) {
  struct BrokenCase {
    const char* what;
    void (*breakIt)(FlightFileBytes&);
    bool loaded;
    int kept;
  };
  const BrokenCase cases[] = {
      {"whole file", [](FlightFileBytes&) {}, true, 3},
      {"cut inside the last entry's points",
       [](FlightFileBytes& f) { f.Bytes().resize(f.Bytes().size() - 12); }, false, 2},
      {"cut inside the last entry's trailing int32",
       [](FlightFileBytes& f) { f.Bytes().resize(f.Bytes().size() - 4); }, false, 2},
      {"a partial entry head after the last entry",
       [](FlightFileBytes& f) { f.Bytes().resize(f.Bytes().size() + 10); }, false, 3},
      {"an entry claiming more points than the file holds",
       [](FlightFileBytes& f) { f.Entry(100, 0, 0, 0, FlightFileBytes::Path(10, 1.0f)); }, false,
       3},
      {"an entry claiming INT_MAX points",
       [](FlightFileBytes& f) { f.Entry(INT_MAX, 0, 0, 0, FlightFileBytes::Path(1, 1.0f)); }, false,
       3},
  };
  for (const BrokenCase& c : cases) {
    SCOPED_TRACE(c.what);
    FlightFileBytes file = ThreeFlights();
    c.breakIt(file);
    cTrajectory table;
    EXPECT_EQ(file.LoadInto(table), c.loaded);
    EXPECT_EQ(table.Count(), c.kept);
    for (int i = 0; i < table.Count(); ++i) EXPECT_EQ(table.Slot(i)->m_carry, 10.0f + i);
  }
}

TEST(TableLoadTest, MissingUnreadableOrHeaderlessFileLeavesTheTableEmpty) {
  cTrajectory table;
  ASSERT_TRUE(ThreeFlights().LoadInto(table));
  EXPECT_FALSE(table.Load((testing::TempDir() + "does_not_exist.bi").c_str()));
  EXPECT_EQ(table.Count(), 0);
  EXPECT_FALSE(table.Load(testing::TempDir().c_str()));  // a folder, not a file
  EXPECT_EQ(table.Count(), 0);
  FlightFileBytes twoBytes;
  twoBytes.Bytes() = {1, 2};
  EXPECT_FALSE(twoBytes.LoadInto(table));
  EXPECT_EQ(table.Count(), 0);
  FlightFileBytes headerOnly;
  headerOnly.Int32(620);
  EXPECT_TRUE(headerOnly.LoadInto(table));
  EXPECT_EQ(table.Count(), 0);
}

TEST(TableLoadTest, LongFlightIsCutAndTheNextEntryStillReads) {
  FlightFileBytes file;
  file.Int32(2);
  file.Entry(1600, 1.0f, 0.0f, 10.0f, FlightFileBytes::Path(1600, 1.0f));
  file.Entry(2, 2.0f, 2.0f, 10.0f, FlightFileBytes::Path(2, 1.0f));
  cTrajectory table;
  ASSERT_TRUE(file.LoadInto(table));
  ASSERT_EQ(table.Count(), 2);
  EXPECT_EQ(table.Slot(0)->m_pointCount, 1500);
  EXPECT_EQ(table.Slot(0)->m_points.size(), 1500u);
  EXPECT_EQ(table.Slot(0)->m_points[1499].m_distance, 1499.0f);
  EXPECT_EQ(table.Slot(1)->m_carry, 2.0f);
}

TEST(TableLoadTest, StopsAt620Entries) {
  FlightFileBytes file = GridFile(2.0f, 1);
  file.Entry(1, 999.0f, 0.0f, 10.0f, {{0.0f, 0.0f}});
  cTrajectory table;
  ASSERT_TRUE(file.LoadInto(table));
  EXPECT_EQ(table.Count(), 620);
  EXPECT_EQ(table.Slot(619)->m_carry, 619.0f);
}

TEST(TableLoadTest, RandomBytesLoadSafely) {
  std::mt19937 random(20261210);
  for (const size_t size : {3u, 24u, 28u, 100u, 4096u, 65536u}) {
    for (int round = 0; round < 20; ++round) {
      FlightFileBytes file;
      file.Bytes().resize(size);
      for (uint8_t& byte : file.Bytes()) byte = static_cast<uint8_t>(random());
      if (round % 2) {
        // Small counts in every head slot make whole entries likely.
        for (size_t at = 8; at + 4 <= size; at += 32)
          file.Bytes()[at + 1] = file.Bytes()[at + 2] = file.Bytes()[at + 3] = 0;
      }
      cTrajectory table;
      file.LoadInto(table);
      // Every stored entry holds at least a 24-byte head, one pair and the tail.
      EXPECT_LE(table.Count(), static_cast<int>(size / 40));
      for (int i = 0; i < table.Count(); ++i) {
        const CFlightEntry* entry = table.Slot(i);
        EXPECT_GE(entry->m_pointCount, 1);
        EXPECT_EQ(entry->m_points.size(), static_cast<size_t>(entry->m_pointCount));
        table.GetOne(entry->m_speed, entry->m_ElevationDeg);
      }
    }
  }
}

}  // namespace
