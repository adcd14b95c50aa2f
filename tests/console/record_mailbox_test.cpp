#include "console/record_mailbox.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A record whose every slot tells which put it came from, so a torn copy shows.
ShotResultRecord RecordOf(int32_t n) {
  const auto f = static_cast<float>(n);
  return {n, n, n, f, f, f, f, f, f};
}

bool Whole(const ShotResultRecord& r) {
  const auto f = static_cast<float>(r.m_clubCode);
  return r.m_clubType == r.m_clubCode && r.m_pathClass == r.m_clubCode && r.m_HAngle == f &&
         r.m_VAngle == f && r.m_speed == f && r.m_derivedSpeed == f && r.m_backSpin == f &&
         r.m_sideSpin == f;
}

TEST(RecordMailbox, GivesEachNewRecordOnceAndTheNewestOnly) {
  console::RecordMailbox box;
  ShotResultRecord r;
  EXPECT_FALSE(box.Take(r));
  box.Put(RecordOf(1));
  box.Put(RecordOf(2));
  ASSERT_TRUE(box.Take(r));
  EXPECT_EQ(r.m_clubCode, 2);
  EXPECT_FALSE(box.Take(r)) << "taken already";
}

// Both capture threads put (the side camera hands the main camera its putts) while the
// window takes: every record taken is one put whole, and the last put is the last taken.
TEST(RecordMailbox, TwoWritersAndAReaderNeverTearARecord) {
  console::RecordMailbox box;
  std::atomic<bool> torn{false};
  constexpr int kPuts = 20000;
  auto writer = [&](int32_t first) {
    for (int32_t n = first; n < first + kPuts; ++n) box.Put(RecordOf(n));
  };
  std::thread a(writer, 1), b(writer, 1000000);
  std::atomic<bool> done{false};
  std::thread reader([&] {
    ShotResultRecord r;
    while (!done) {
      if (box.Take(r) && !Whole(r)) torn = true;
    }
  });
  a.join();
  b.join();
  done = true;
  reader.join();
  EXPECT_FALSE(torn);
  box.Put(RecordOf(7));
  ShotResultRecord r;
  ASSERT_TRUE(box.Take(r));
  EXPECT_EQ(r.m_clubCode, 7);
}

}  // namespace
