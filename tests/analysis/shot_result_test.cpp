// The shot result record built from a camera's results, and the slot through which the side
// camera hands its result to the main camera.
#include <gtest/gtest.h>

#include <string>

#include "analysis/club_path.h"
#include "analysis/shot_delivery.h"
#include "analysis/top_side_result.h"
#include "shot_run_fixture.h"

namespace {

TEST(DerivedSpeed, ThreeSinglePrecisionSteps) {
  for (const float speed : {0.0f, 0.1f, 1.0f, 2.5f, 33.3f, 45.678f, 61.7f, 80.0f, 159.99f}) {
    SCOPED_TRACE(speed);
    // a = speed * 0.86; a = a - a * 45 / 100; a + a * 30 / 100, each rounded to float.
    const auto a = static_cast<float>(static_cast<double>(speed) * 0.86);
    const auto b = static_cast<float>(a - static_cast<double>(a) * 45 / 100);
    const auto expected = static_cast<float>(b + static_cast<double>(b) * 30 / 100);
    EXPECT_EQ(DerivedSpeed(speed), expected);
    EXPECT_NEAR(DerivedSpeed(speed), speed * 0.6149, speed * 1e-5 + 1e-6);
  }
}

TEST(BuildShotRecord, SlotsCarryTheCameraResults) {
  RunOnCamera on(SENSOR_MAIN, CLUB_ROUGH);
  CMainCamera& camera = on.camera();
  camera.m_clubCode = 7;
  camera.m_clubPathClass = PATH_IN_OUT_SLICE;
  camera.m_HAngle = -3.25f;
  camera.m_VAngle = 14.5f;
  camera.m_speed = 42.125f;
  camera.m_backSpin = 2500.5f;
  camera.m_sideSpin = -152.8f;
  const ShotResultRecord r = BuildShotRecord(on.run);
  EXPECT_EQ(r.m_clubCode, 7);
  EXPECT_EQ(r.m_clubType, CLUB_ROUGH);
  EXPECT_EQ(r.m_pathClass, PATH_IN_OUT_SLICE);
  EXPECT_EQ(r.m_HAngle, -3.25f);
  EXPECT_EQ(r.m_VAngle, 14.5f);
  EXPECT_EQ(r.m_speed, 42.125f);
  EXPECT_EQ(r.m_derivedSpeed, DerivedSpeed(42.125f));
  EXPECT_EQ(r.m_backSpin, 2500.5f);
  EXPECT_EQ(r.m_sideSpin, -152.8f);
}

TopSideValues Values(float speed, float hAngle, CRectT rect) {
  TopSideValues v;
  v.speedTopSide = speed;
  v.HAngleTopSide = hAngle;
  v.rect = rect;
  return v;
}

TEST(TopSideSlot, EmptySlotHasNothingToTake) {
  TopSideSlot slot;
  TopSideValues out = Values(1, 2, MakeRect(3, 4, 5, 6));
  EXPECT_FALSE(slot.TryTake(&out));
  slot.Empty();
  EXPECT_FALSE(slot.TryTake(&out));
  ASSERT_TRUE(slot.Peek(&out));
  EXPECT_EQ(out.speedTopSide, 1000.0f);
  EXPECT_EQ(out.HAngleTopSide, 1000.0f);
  EXPECT_EQ(out.rect, CRectT{});
}

TEST(TopSideSlot, CompleteRecordIsTakenOnce) {
  TopSideSlot slot;
  const TopSideValues published = Values(45.5f, -2.25f, MakeRect(150, 120, 22, 21));
  slot.Publish(published);
  TopSideValues out;
  ASSERT_TRUE(slot.TryTake(&out));
  EXPECT_EQ(out.speedTopSide, 45.5f);
  EXPECT_EQ(out.HAngleTopSide, -2.25f);
  EXPECT_EQ(out.rect, published.rect);
  TopSideValues again = Values(1, 2, MakeRect(3, 4, 5, 6));
  EXPECT_FALSE(slot.TryTake(&again));
  EXPECT_EQ(again.speedTopSide, 1.0f);  // untouched
  // The side camera's next shot is a new record, even with the same values.
  slot.Publish(published);
  EXPECT_TRUE(slot.TryTake(&out));
}

TEST(TopSideSlot, IncompleteRecordsAreNotTaken) {
  struct Row {
    const char* what;
    TopSideValues values;
  };
  const Row rows[] = {
      {"x 0", Values(40, 1, MakeRect(0, 120, 22, 22))},
      {"y 0", Values(40, 1, MakeRect(150, 0, 22, 22))},
      {"x negative", Values(40, 1, MakeRect(-3, 120, 22, 22))},
      {"y negative", Values(40, 1, MakeRect(150, -1, 22, 22))},
      {"no speed", Values(1000, 1, MakeRect(150, 120, 22, 22))},
      {"no angle", Values(40, 1000, MakeRect(150, 120, 22, 22))},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_FALSE(row.values.Complete());
    TopSideSlot slot;
    slot.Publish(row.values);
    TopSideValues out;
    EXPECT_FALSE(slot.TryTake(&out));
  }
  // Zero extents and a zero speed or angle are values like any other.
  EXPECT_TRUE(Values(0, 0, MakeRect(1, 1, 0, 0)).Complete());
}

TEST(TopSideSlot, EmptyAfterPublishHidesTheRecord) {
  TopSideSlot slot;
  slot.Publish(Values(45.5f, -2.25f, MakeRect(150, 120, 22, 21)));
  slot.Empty();
  TopSideValues out;
  EXPECT_FALSE(slot.TryTake(&out));
  slot.Publish(Values(30, 1, MakeRect(150, 120, 22, 21)));
  ASSERT_TRUE(slot.TryTake(&out));
  EXPECT_EQ(out.speedTopSide, 30.0f);
}

// A side camera that stopped after a shot whose result nobody took must not lend it to the main
// camera's next shot.
TEST(TopSideSlot, TheMainCamerasNextShotForgetsAnUntakenRecord) {
  TopSideSlot slot;
  slot.Publish(Values(45.5f, -2.25f, MakeRect(150, 120, 22, 21)));
  slot.ForgetEarlierShots();
  TopSideValues out;
  EXPECT_FALSE(slot.TryTake(&out));
  slot.Publish(Values(30, 1, MakeRect(150, 120, 22, 21)));
  ASSERT_TRUE(slot.TryTake(&out));
  EXPECT_EQ(out.speedTopSide, 30.0f);
}

}  // namespace
