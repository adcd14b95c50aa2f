// The side camera's hand-over slot written and polled from two threads at once: every record the
// main camera takes is one the side camera published whole, and none is taken twice.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "analysis/top_side_result.h"

namespace {

TEST(TopSideSlotThreads, TakenRecordsAreWholeAndNew) {
  constexpr int kRecords = 100000;
  TopSideSlot slot;
  std::atomic<bool> done{false};
  std::thread side([&] {
    for (int n = 1; n <= kRecords; ++n) {
      TopSideValues v;
      v.speedTopSide = static_cast<float>(n);
      v.HAngleTopSide = static_cast<float>(-n);
      v.rect = MakeRect(n, n + 1, n + 2, n + 3);
      slot.Publish(v);
      if (n % 3 == 0) slot.Empty();
    }
    done = true;
  });

  int taken = 0, torn = 0, repeated = 0;
  float last = 0;
  for (bool finished = false; !finished;) {
    finished = done.load();  // one more poll after the writer ended
    TopSideValues v;
    while (slot.TryTake(&v)) {
      ++taken;
      const int n = static_cast<int>(v.speedTopSide);
      if (v.HAngleTopSide != -v.speedTopSide || v.rect != MakeRect(n, n + 1, n + 2, n + 3)) ++torn;
      if (!(v.speedTopSide > last)) ++repeated;
      last = v.speedTopSide;
    }
  }
  side.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(repeated, 0);
  EXPECT_GT(taken, 0);
  // The final record stays published (it is not followed by an empty one): the poll after the
  // writer ended took it, and it is not there to take again.
  EXPECT_EQ(last, static_cast<float>(kRecords));
  TopSideValues v;
  EXPECT_FALSE(slot.TryTake(&v));
}

}  // namespace
