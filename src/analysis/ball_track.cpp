#include "analysis/ball_track.h"

#include <cstdlib>
#include <cstring>

#include "analysis/ball_candidates.h"
#include "analysis/diff_frames.h"
#include "analysis/pair_geometry.h"
#include "analysis/shot_run.h"
#include "watch/bright_count.h"

namespace {

// The first frame with a ball must come early: a ball that shows up late is something else.
constexpr int32_t kFirstBallLatest = 6;
constexpr int32_t kFirstBallLatestBunker = 38;
// A kept ball this many rows lower than an earlier one flies the wrong way.
constexpr int32_t kBackwardsRows = 4;
// Positions this close to the window's edge are cut by it and cannot be measured.
constexpr int32_t kEdgeMargin = 11;
// The empty-swing test looks at the first two kept frames from this frame on.
constexpr int32_t kEmptySwingFirstFrame = 2;
constexpr int32_t kEmptySwingTests = 2;
constexpr int32_t kMiddleFrameTolerance = 8;

bool HasPosition(const CRectT& r) {
  return r.m_x != 0 && r.m_y != 0;
}

bool IsEmpty(const CRectT& r) {
  return r == CRectT{};
}

CBalls& Slot(ShotRun& run, int32_t k) {
  return run.camera.m_balls[k];
}

int32_t MissLimit(const ShotRun& run) {
  switch (run.ClubType()) {
    case CLUB_PUTTER:
      return 3;
    case CLUB_BUNKER:
      return run.track.firstBallFrame == -1 ? kFirstBallLatestBunker : run.track.firstBallFrame + 4;
    default:
      return 2;
  }
}

int32_t FoundLimit(const ShotRun& run) {
  switch (run.ClubType()) {
    case CLUB_DRIVER:
      return 4;
    case CLUB_PUTTER:
      return 50;
    default:
      return 8;
  }
}

void WriteShotFrame(ShotRun& run, int32_t X) {
  run.Dump(run.ShotFrame(X), "image_%d.bmp", X);
}

void LogAreas(const ShotRun& run) {
  const CRectT& f = run.camera.m_foundBallArea;
  const CRectT& a = run.camera.m_ballCheckArea;
  run.Log(
      "-> m_foundBallArea.m_x : %d, m_foundBallArea.m_y : %d, m_foundBallArea.m_width : %d, "
      "m_foundBallArea.m_height : %d <-\n",
      f.m_x, f.m_y, f.m_width, f.m_height);
  run.Log(
      "-> m_ballCheckArea.m_x : %d, m_ballCheckArea.m_y : %d, m_ballCheckArea.m_width : %d, "
      "m_ballCheckArea.m_height : %d <-\n",
      a.m_x, a.m_y, a.m_width, a.m_height);
}

void DiffSearchWindow(ShotRun& run, int32_t X) {
  const size_t bytes = static_cast<size_t>(run.W) * run.H;
  std::memset(run.Mask(), 0, bytes);
  std::memset(run.Difference(), 0, bytes);
  ClampToImage(run.track.searchWindow, run.W, run.H);
  DiffFrames(-1, run.Mask(), run.Difference(), run.Background(), run.ShotFrame(X),
             run.track.searchWindow, run.W, run.H);
}

// Where the club moved in the first frames: more change left of the ball than right of it is a
// right-handed player. The setting overrides the measurement.
void DecideHandedness(ShotRun& run, int32_t X) {
  CMainCamera& camera = run.camera;
  const CWhiteNum& t = camera.m_whiteNum;
  const CRectT& f = camera.m_foundBallArea;
  const bool putter = run.IsPutter();
  const int32_t top = f.m_y - 55;
  const int32_t rows = 6 * t.m_ballSizeY;
  CRectT band = MakeRect(0, top, run.W, rows);
  ClampToImage(band, run.W, run.H);

  uint8_t* mask = camera.m_buffers.scratch[0].get();
  uint8_t* difference = camera.m_buffers.scratch[1].get();
  const size_t bytes = static_cast<size_t>(run.W) * run.H;
  std::memset(mask, 0, bytes);
  std::memset(difference, 0, bytes);
  DiffFrames(putter ? 18 : 13, mask, difference, run.Background(), run.ShotFrame(putter ? 3 : 1),
             band, run.W, run.H);

  CRectT left = MakeRect(0, top, putter ? f.m_x - 33 : f.m_x - 22, rows);
  const int32_t rightX = putter ? f.m_x + 55 : f.m_x + 22 + f.m_width;
  CRectT right = MakeRect(rightX, top, run.W - rightX, rows);
  ClampToImage(left, run.W, run.H);
  ClampToImage(right, run.W, run.H);
  const int32_t pixLeft = CountWhite(left, run.W, difference, t.m_shotLevelC, run.H);
  const int32_t pixRight = CountWhite(right, run.W, difference, t.m_shotLevelC, run.H);

  int32_t hand = pixLeft > pixRight ? HAND_RIGHT : HAND_LEFT;
  const int32_t setting = camera.isRightHand;
  if (setting == HAND_LEFT || setting == HAND_RIGHT) hand = setting;
  run.track.handedness = hand;
  camera.m_analysis.handedness = hand;
  run.Log("-> captureImageIndex : %d, isRightHand : %d, pix_left : %d, pix_right : %d <-\n", X,
          hand, pixLeft, pixRight);
  run.Dump(difference, "image_isRightHand.bmp");

  // The club comes in from the player's side: the other side of the tee column cannot hold the
  // ball's flight, so the window gives it up.
  const bool gameCamera = camera.SensorType == SENSOR_MAIN || camera.SensorType == SENSOR_SIDE;
  if (gameCamera && !putter) {
    CRectT& window = run.track.searchWindow;
    const int32_t d = run.W / 2 - f.m_x;
    if (d > 0) {
      window.m_width -= d;
    } else {
      window.m_x += -d;
      window.m_width -= -d;
    }
  }
}

// When the middle of three frames holds two candidates, the one that lies evenly between its
// neighbours is the ball.
void ChooseMiddleBall(ShotRun& run, int32_t X) {
  if (X < 2 || !IsEmpty(Slot(run, X).m_secondBall)) return;
  const CBalls& before = Slot(run, X - 2);
  CBalls& middle = Slot(run, X - 1);
  const CBalls& after = Slot(run, X);
  if (IsEmpty(before.m_firstBall) || IsEmpty(middle.m_firstBall) || IsEmpty(after.m_firstBall) ||
      IsEmpty(middle.m_secondBall)) {
    return;
  }
  const int32_t y2 = before.m_firstBall.m_y;
  const int32_t y0 = after.m_firstBall.m_y;
  const int32_t y1 = middle.m_firstBall.m_y;
  const int32_t ys = middle.m_secondBall.m_y;
  const int32_t a = std::abs((y2 - y1) - (y1 - y0));
  const int32_t b = std::abs((y2 - ys) - (ys - y0));
  if (a < kMiddleFrameTolerance && b > kMiddleFrameTolerance) {
    middle.m_ball.m_rect = middle.m_firstBall;
  } else if (b < kMiddleFrameTolerance && a > kMiddleFrameTolerance) {
    middle.m_ball.m_rect = middle.m_secondBall;
  } else {
    return;
  }
  CBall& ball = middle.m_ball;
  ball.m_speed = PairSpeed(run.camera, before.m_ball.m_rect, ball.m_rect, 1, false);
  ball.m_HAngle = PairHAngle(run, ball.m_rect, X - 1);
  run.Log(
      "-> Middle Ball Pos Adj - captureImageIndex : %d, speed : %f, HAngle : %f, VAngle : %f, "
      "m_x : %d, m_y : %d <-\n",
      X - 1, ball.m_speed, ball.m_HAngle, ball.m_VAngle, ball.m_rect.m_x, ball.m_rect.m_y);
}

// The frame's ball, unless it lies lower than an earlier ball (flying backwards) or at the edge.
void ChooseFrameBall(ShotRun& run, int32_t X, FrameScan& scan, CRectT* ball) {
  *ball = scan.hasSecond ? scan.second : scan.first;
  for (int32_t n = X - 1; n >= 0 && scan.found; --n) {
    const int32_t earlierY = Slot(run, n).m_ball.m_rect.m_y;
    if (earlierY <= 0 || earlierY > ball->m_y || ball->m_y - earlierY < kBackwardsRows) continue;
    if (scan.hasSecond) {
      run.Log(
          "-> Larger Than Pre Ball-Y(second ball) - captureImageIndex : %d, pre-m_ballArea.m_y : "
          "%d, ballArea.m_y : %d <-\n",
          X, earlierY, ball->m_y);
      Slot(run, X).m_secondBall = CRectT{};
      scan.hasSecond = false;
      *ball = scan.first;
      n = X;  // check the first candidate against every earlier ball again
      continue;
    }
    run.Log(
        "-> Larger Than Pre Ball-Y(first ball) - captureImageIndex : %d, pre-m_ballArea.m_y : %d, "
        "ballArea.m_y : %d <-\n",
        X, earlierY, ball->m_y);
    scan.found = false;
    run.track.missCount = kEndTrack;
  }
  if (!scan.found) return;
  if (ball->m_y < kEdgeMargin) {
    run.Log("-> Ball Near ZeroPos-Y(May Be Skip) - captureImageIndex : %d, ballArea.m_y : %d <-\n",
            X, ball->m_y);
    scan.found = false;
    run.track.missCount = kEndTrack;
  } else if (ball->m_x > run.W - kEdgeMargin) {
    run.Log(
        "-> Ball Near ZeroPos-Right-X(May Be Skip) - captureImageIndex : %d, ballArea.m_x : %d, "
        "ballArea.m_y : %d <-\n",
        X, ball->m_x, ball->m_y);
    scan.found = false;
  } else if (ball->m_x < kEdgeMargin) {
    run.Log(
        "-> Ball Near ZeroPos-Left-X(May Be Skip) - captureImageIndex : %d, ballArea.m_x : %d, "
        "ballArea.m_y : %d <-\n",
        X, ball->m_x, ball->m_y);
    scan.found = false;
  }
}

void WriteDiffImages(const ShotRun& run, int32_t X) {
  run.Dump(run.Mask(), "image_diff_second_%d.bmp", X);
  run.Dump(run.Difference(), "image_diff_first_%d.bmp", X);
}

// Something ball-like moved in front of the ball, yet the ball still lies where it was.
Step TestEmptySwing(ShotRun& run, int32_t X) {
  BallTrackState& t = run.track;
  if (run.IsPutter() || X < kEmptySwingFirstFrame || t.emptySwingTests >= kEmptySwingTests) {
    return Step::kGoOn;
  }
  ++t.emptySwingTests;
  if (run.camera.IsBallAt(&run.camera.m_foundBallArea, 4, 4, run.ShotFrame(X))) ++t.emptySwingHits;
  if (t.emptySwingHits < kEmptySwingTests) return Step::kGoOn;
  run.Log("-> Empty Swing <-\n");
  return run.End(ANALYSIS_EMPTY_SWING, "---");
}

// A putt that changes speed abruptly in its first frames has lost its ball to something else.
Step TestPuttFrameGap(ShotRun& run, int32_t X) {
  if (!run.IsPutter() || X < 2 || X > 10 || run.camera.m_HAngle == kNotMeasured) {
    return Step::kGoOn;
  }
  const float a = Slot(run, X - 1).m_ball.m_speed;
  if (a == kNotMeasured || a > kMaxFrameSpeed) return Step::kGoOn;
  const float b = Slot(run, X).m_ball.m_speed;
  const double gap = std::abs(static_cast<double>(a) - b);
  const double lo = a < b ? a : b;
  if (gap > 2 * lo && gap > 5) {
    run.Log("-> Frame Gap - fMaxSpeed : %f, fSecondSpeed : %f <-\n", a, b);
    return run.End(ANALYSIS_NO_SHOT, "---");
  }
  return Step::kGoOn;
}

Step KeepBall(ShotRun& run, int32_t X, const CRectT& ball) {
  BallTrackState& t = run.track;
  CMainCamera& camera = run.camera;
  if (TestEmptySwing(run, X) == Step::kEnd) return Step::kEnd;
  if (t.firstBallFrame == -1 && X > 0) t.firstBallFrame = X;
  CBall& kept = Slot(run, X).m_ball;
  kept.m_rect = ball;
  if (!HasPosition(t.trackStart)) t.trackStart = ball;
  t.lastBall = ball;

  int32_t preBallIndex = -1;
  for (int32_t n = X - 1; n >= 0; --n) {
    const CRectT& r = Slot(run, n).m_ball.m_rect;
    if (r.m_x > 0 && r.m_y > 0) {
      preBallIndex = n;
      break;
    }
  }
  const CRectT& f = camera.m_foundBallArea;
  const CRectT& pre = preBallIndex >= 0 ? Slot(run, preBallIndex).m_ball.m_rect : f;
  run.Log(
      "-> captureImageIndex : %d, m_foundBallArea.m_x : %d, m_foundBallArea.m_y : %d, preBall.m_x "
      ": %d, preBall.m_y : %d, ballArea.m_x : %d, ballArea.m_y : %d, preBallIndex : %d <-\n",
      X, f.m_x, f.m_y, pre.m_x, pre.m_y, ball.m_x, ball.m_y, preBallIndex);

  kept.m_speed = PairSpeed(camera, pre, ball, X - preBallIndex, preBallIndex < 0);
  kept.m_HAngle = PairHAngle(run, ball, X);
  if (TestPuttFrameGap(run, X) == Step::kEnd) return Step::kEnd;

  camera.m_HAngle = kept.m_HAngle;
  camera.m_ballAreaForHAngle = kept.m_rect;
  run.Log("-> captureImageIndex : %d, speed : %f, HAngle : %f, VAngle : %f <-\n", X, kept.m_speed,
          kept.m_HAngle, kept.m_VAngle);
  ++t.foundCount;
  return Step::kGoOn;
}

bool FirstBallTooLate(const ShotRun& run, int32_t X) {
  const int32_t latest = run.ClubType() == CLUB_BUNKER ? kFirstBallLatestBunker : kFirstBallLatest;
  const int32_t first = run.track.firstBallFrame;
  return X > latest && (first == -1 || first > latest);
}

bool TrackComplete(const ShotRun& run) {
  const BallTrackState& t = run.track;
  // Out of the bunker the ball may stay hidden in the sand until frame 38: the wait for it ends
  // only after more misses than that, or the frame-38 rule could never see frame 39.
  const bool waitingInSand = run.ClubType() == CLUB_BUNKER && t.firstBallFrame == -1;
  const bool cold = waitingInSand ? t.missCount > MissLimit(run) : t.missCount >= MissLimit(run);
  return cold || t.foundCount >= FoundLimit(run);
}

}  // namespace

void SetUpBallTrack(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const CWhiteNum& t = camera.m_whiteNum;
  BallTrackState& track = run.track;
  track = BallTrackState{};
  // The ball may fly in any direction from where the watch expected it: widen by a box and a ball
  // on each side, and by a ball below.
  const int32_t marginX = t.m_ballBoxWidth + t.m_ballSizeX;
  const int32_t marginY = t.m_ballBoxHeight + t.m_ballSizeY;
  CRectT window = camera.m_ballCheckArea;
  if (window.m_x > 0) {
    window.m_x -= marginX;
    window.m_width += 2 * marginX;
  }
  if (window.m_y > 0) {
    window.m_y -= marginY;
    window.m_height += 2 * marginY;
  }
  window.m_height += t.m_ballSizeY;
  track.searchWindow = window;
  track.lastBall = MakeRect(camera.m_ballCheckArea.m_x, camera.m_foundBallArea.m_y, t.m_ballSizeX,
                            t.m_ballSizeY);
  track.endFrame = run.frameCount;
}

Step TrackBall(ShotRun& run) {
  BallTrackState& t = run.track;
  t.endFrame = run.frameCount;
  for (int32_t X = 0; X < run.frameCount; ++X) {
    WriteShotFrame(run, X);
    LogAreas(run);
    DiffSearchWindow(run, X);
    if (t.handedness == HAND_UNDECIDED) DecideHandedness(run, X);

    FrameScan scan;
    if (ScanCandidates(run, X, scan) == Step::kEnd) return Step::kEnd;
    ChooseMiddleBall(run, X);
    CRectT ball;
    if (scan.found || scan.stage > 0) ChooseFrameBall(run, X, scan, &ball);
    WriteDiffImages(run, X);
    if (scan.found) {
      if (KeepBall(run, X, ball) == Step::kEnd) return Step::kEnd;
    } else {
      ++t.missCount;
    }

    if (FirstBallTooLate(run, X)) {
      run.Log("-> No First Ball <-\n");
      return run.End(ANALYSIS_NO_SHOT, "---");
    }
    if (TrackComplete(run)) {
      t.endFrame = X;
      break;
    }
  }
  return Step::kGoOn;
}

Step CheckPuttLeftBallAtRest(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const int32_t Z = run.track.endFrame - 1 > 0 ? run.track.endFrame - 1 : 0;
  const uint8_t* frame = run.ShotFrame(Z);
  const CRectT f = camera.m_foundBallArea;

  const CRectT neighbours[] = {
      MakeRect(f.m_x - f.m_width, f.m_y, f.m_width, f.m_height),
      MakeRect(f.m_x + f.m_width, f.m_y, f.m_width, f.m_height),
      MakeRect(f.m_x, f.m_y - f.m_height, f.m_width, f.m_height),
      MakeRect(f.m_x, f.m_y + f.m_height, f.m_width, f.m_height),
  };
  bool aloneAtRest = camera.IsBallAt(&f, 4, 4, frame);
  for (const CRectT& r : neighbours) aloneAtRest = aloneAtRest && !camera.IsBallAt(&r, 4, 4, frame);
  if (aloneAtRest) {
    run.Log("-> captureImageIndex : %d - FindBallForReady <-\n", Z);
    return run.End(ANALYSIS_NO_SHOT, "---");
  }

  CRectT search = MakeRect(f.m_x - 44, f.m_y - 44, f.m_width + 88, f.m_height + 88);
  ClampToImage(search, run.W, run.H);
  CRectT found;
  if (camera.FindBall(&search, frame, &found) && std::abs(found.m_x - f.m_x) <= 4 &&
      std::abs(found.m_y - f.m_y) <= 4) {
    run.Log(
        "-> May Be Empty Swing - captureImageIndex : %d, foundBall.m_x : %d, foundBall.m_y : %d "
        "<-\n",
        Z, found.m_x, found.m_y);
    return run.End(ANALYSIS_NO_SHOT, "---");
  }
  return Step::kGoOn;
}
