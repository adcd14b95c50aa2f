// The ball track on shots drawn in code: a ball climbing the picture, with the club's shaft, a
// second bright spot or an empty swing painted where each rule has to tell them apart.
#include <gtest/gtest.h>

#include <cmath>

#include "track_fixture.h"

namespace {

constexpr int32_t kRestX = 150;
constexpr int32_t kRestY = 240;

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// A ball that leaves its place and climbs step pixels a frame, drifting dx a frame.
void Climb(DrawnShot& shot, int32_t step, int32_t dx, int frames) {
  for (int k = 0; k < frames; ++k) {
    const int32_t y = kRestY - step * (k + 1);
    if (y < 0) break;
    shot.Ball(k, kRestX + dx * (k + 1), y);
  }
}

TEST(BallTrackDrawn, KeepsAClimbingBallWithItsDirectionForEitherHand) {
  struct Case {
    int32_t hand;
    int32_t dx;
  };
  for (const Case c :
       {Case{HAND_RIGHT, 0}, Case{HAND_RIGHT, 3}, Case{HAND_LEFT, -3}, Case{HAND_LEFT, 3}}) {
    SCOPED_TRACE(::testing::Message() << "hand " << c.hand << " dx " << c.dx);
    DrawnShot shot(CLUB_IRON, kRestX, kRestY, c.hand);
    Climb(shot, 20, c.dx, 12);
    ASSERT_EQ(shot.Track(), Step::kGoOn) << shot.Log();
    EXPECT_EQ(shot.run.track.handedness, c.hand);
    EXPECT_EQ(shot.run.track.firstBallFrame, 1);
    EXPECT_EQ(shot.run.track.foundCount, 8);  // an iron's track is long enough after 8 balls
    const double expected = std::atan(c.dx / 20.0) * 180 / M_PI;
    for (int k = 2; k <= 7; ++k) {
      SCOPED_TRACE(k);
      ASSERT_TRUE(shot.HasKept(k));
      // 20 px a frame at 2.07 mm a pixel over the 2 ms the rule counts per frame.
      EXPECT_NEAR(shot.Kept(k).m_speed, std::hypot(20, c.dx) * 2.07 / 2, 1.0);
      // The blob's edges and the resting ball's widened box move the centres by a pixel or two.
      const double climbed = 240 - shot.Kept(k).m_rect.m_y;
      EXPECT_NEAR(shot.Kept(k).m_HAngle, expected, std::atan(2.5 / climbed) * 180 / M_PI + 0.2);
    }
  }
}

// The club's bright shaft rises from beside the ball: the ball's neighbourhood is not empty, yet
// a straight run of probes up the shaft keeps it; the same bright patch without a straight edge
// does not.
TEST(BallTrackDrawn, AShaftLineBesideTheBallKeepsIt) {
  for (const int32_t hand : {HAND_RIGHT, HAND_LEFT}) {
    for (const bool straight : {true, false}) {
      SCOPED_TRACE(::testing::Message() << "hand " << hand << " straight " << straight);
      DrawnShot shot(CLUB_IRON, kRestX, kRestY, hand);
      const int32_t bx = 150;
      const int32_t by = 150;
      shot.Ball(1, bx, by);
      TestFrame& f = shot.frames[1];
      // The shaft climbs away from the ball on the player's side: left for a right-handed
      // player, right for a left-handed one, four columns per six rows.
      for (int32_t y = by - 70; y <= by - 4; ++y) {
        const int32_t up = by - 4 - y;
        const int32_t lean = straight ? up * 4 / 6 : (up / 12 % 2) * 10;
        const int32_t x = hand == HAND_RIGHT ? bx - 20 - lean : bx + 30 + lean;
        f.Fill(x, y, 9, 1, 200);
      }
      ASSERT_EQ(shot.Track(), Step::kGoOn) << shot.Log();
      EXPECT_EQ(shot.HasKept(1), straight) << shot.Log();
    }
  }
}

// Stage two: a second spot on the far side of the ball's rest column from where the track began
// is something else; a second spot lower than an earlier ball gives way to the first candidate.
TEST(BallTrackDrawn, SecondCandidatesThatCannotBeTheBallAreDropped) {
  {
    DrawnShot shot(CLUB_IRON, kRestX, kRestY);
    Climb(shot, 25, 4, 2);           // frames 0 and 1: the track starts right of the rest column
    shot.Ball(2, kRestX + 12, 150);  // the ball
    shot.Ball(2, kRestX - 60, 195);  // lower, left of the rest column
    ASSERT_EQ(shot.Track(), Step::kGoOn);
    EXPECT_EQ(Count(shot.Log(), "-> Second Find Ball(May Be Skip) - captureImageIndex : 2"), 1u)
        << shot.Log();
    EXPECT_EQ(shot.fixture.camera.m_balls[2].m_secondBall, CRectT{});
    EXPECT_EQ(shot.Kept(2).m_rect, shot.fixture.camera.m_balls[2].m_firstBall);
  }
  {
    DrawnShot shot(CLUB_IRON, kRestX, kRestY);
    Climb(shot, 25, 4, 2);  // frame 1's ball is at row 190
    shot.Ball(2, kRestX + 12, 150);
    shot.Ball(2, kRestX + 40, 195);  // a second spot below frame 1's ball
    ASSERT_EQ(shot.Track(), Step::kGoOn);
    EXPECT_EQ(Count(shot.Log(), "-> Larger Than Pre Ball-Y(second ball) - captureImageIndex : 2"),
              1u)
        << shot.Log();
    EXPECT_EQ(shot.Kept(2).m_rect, shot.fixture.camera.m_balls[2].m_firstBall);
    EXPECT_LT(shot.Kept(2).m_rect.m_y, 170);
  }
  {
    // A first candidate lower than the ball of the frame before ends the track after its frame.
    DrawnShot shot(CLUB_IRON, kRestX, kRestY);
    Climb(shot, 25, 4, 2);
    shot.Ball(2, kRestX + 40, 197);
    ASSERT_EQ(shot.Track(), Step::kGoOn);
    EXPECT_EQ(Count(shot.Log(), "-> Larger Than Pre Ball-Y(first ball) - captureImageIndex : 2"),
              1u);
    EXPECT_FALSE(shot.HasKept(2));
    EXPECT_EQ(shot.run.track.endFrame, 2);
  }
}

// Out of the bunker the ball may stay in the sand for a while after the trigger frame: a first
// ball up to frame 38 still makes a track, none by frame 39 ends the run.
TEST(BallTrackDrawn, ABunkerBallMayShowUpAsLateAsFrame38) {
  for (const int firstBall : {38, 39}) {
    SCOPED_TRACE(firstBall);
    DrawnShot shot(CLUB_BUNKER, kRestX, 150);
    shot.Ball(0, kRestX + 2, 120);  // the trigger frame: sand and ball thrown up together
    for (int k = firstBall; k < kBunkerShotFrames && k < firstBall + 3; ++k) {
      shot.Ball(k, kRestX + 2, 110 - 20 * (k - firstBall));
    }
    const Step step = shot.Track();
    const bool late = firstBall > 38;
    EXPECT_EQ(step == Step::kEnd, late) << shot.Log();
    EXPECT_EQ(Count(shot.Log(), "-> No First Ball <-"), late ? 1u : 0u);
    EXPECT_EQ(shot.run.track.firstBallFrame, firstBall);
    EXPECT_EQ(shot.run.outcome, late ? ANALYSIS_NO_SHOT : ANALYSIS_DELIVERED);
  }
}

// Something ball-like moved in front of the ball while it still lies where it was: two such
// frames among the first two tested make an empty swing, one does not.
TEST(BallTrackDrawn, TwoTestedFramesWithTheBallAtRestAreAnEmptySwing) {
  for (const int atRest : {1, 2}) {
    SCOPED_TRACE(atRest);
    DrawnShot shot(CLUB_IRON, kRestX, kRestY);
    Climb(shot, 30, 2, 10);
    for (int k = 2; k < 2 + atRest; ++k) shot.KeepAtRest(k);
    const Step step = shot.Track();
    EXPECT_EQ(step == Step::kEnd, atRest == 2) << shot.Log();
    EXPECT_EQ(Count(shot.Log(), "-> Empty Swing <-"), atRest == 2 ? 1u : 0u);
    if (atRest == 2) {
      EXPECT_EQ(shot.run.outcome, ANALYSIS_EMPTY_SWING);
    }
  }
}

TEST(BallTrackDrawn, ADriverWithoutABallInItsFirstTwoFramesStopsThere) {
  DrawnShot shot(CLUB_DRIVER, 150, 240);
  shot.Ball(3, 155, 150);
  ASSERT_EQ(shot.Track(), Step::kGoOn);
  EXPECT_EQ(shot.run.track.endFrame, 1);
  EXPECT_EQ(shot.run.track.foundCount, 0);
  // The last ball is still where the track began, level with the ball at rest: no rise.
  EXPECT_EQ(shot.run.track.lastBall.m_y, 240);
}

}  // namespace
