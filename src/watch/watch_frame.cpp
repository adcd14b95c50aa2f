// The per-frame watch: operator modes, the club-area classification, and following the ball from
// put down to ready to struck. Runs on the camera's capture thread after every frame read.
#include <cstdint>

#include "analysis/top_side_result.h"
#include "camera/main_camera.h"
#include "watch/bright_count.h"
#include "watch/shot_trigger.h"

namespace {

constexpr int32_t kCountStep = 4;  // the counters step by 4, so 404 is 101 frames
constexpr int32_t kPresentHalfSize = 3;
constexpr int32_t kRefindMargin = 44;  // how far a ready ball may have crept between frames

// A shot starts from empty results, so nothing of the previous shot leaks into the next; the side
// camera also empties its hand-over slot, so the main camera never takes the side camera's values
// of an earlier shot.
void PrepareShotResults(CMainCamera& camera) {
  camera.m_speed = kNotMeasured;
  camera.m_VAngle = kNotMeasured;
  camera.m_HAngle = kNotMeasured;
  camera.m_sideSpin = kNotMeasured;
  camera.m_spareSpin = kNotMeasured;
  camera.m_backSpin = kNotMeasured;
  camera.m_ballAreaForHAngle = CRectT{};
  camera.m_clubPathClass = kNotMeasuredInt;
  if (camera.SensorType == SENSOR_SIDE) TopSideResult().Empty();
}

bool BallStillHere(const CMainCamera& camera) {
  return camera.IsBallAt(nullptr, kPresentHalfSize, kPresentHalfSize);
}

// One frame of a ready ball: true when the frame misses it (struck, moved, or hidden).
bool WatchReadyBall(CMainCamera& camera) {
  WatchState& w = camera.m_watch;
  if (camera.IsTriggered(nullptr, camera.m_clubType) || !BallStillHere(camera)) return true;

  w.m_foundCount = CountStep(w.m_foundCount, kCountStep);
  w.m_lostCount = 0;
  // Follow a ball that creeps, but not one that walks away: too many frames off its spot is a
  // miss too.
  const CRectT& ball = camera.m_foundBallArea;
  CRectT search = MakeRect(ball.m_x - kRefindMargin, ball.m_y - kRefindMargin,
                           ball.m_width + 2 * kRefindMargin, ball.m_height + 2 * kRefindMargin);
  ClampToImage(search, camera.FrameWidth(), camera.FrameHeight());
  camera.FindBall(&search);
  w.m_awayCount = BallStillHere(camera) ? 0 : CountStep(w.m_awayCount, kCountStep);
  return w.m_awayCount > 3 * camera.m_whiteNum.m_frameUnit;
}

int32_t WatchBall(CMainCamera& camera) {
  WatchState& w = camera.m_watch;
  const int32_t unit = camera.m_whiteNum.m_frameUnit;

  if (w.m_ballState == BALL_READY) {
    // The window is no longer on the ball: the readiness ends.
    if (!camera.m_windowMoved) {
      w.m_ballState = BALL_EMPTY;
      w.m_foundCount = 0;
      w.m_lostCount = 0;
      return 1;
    }
    PrepareShotResults(camera);
    camera.NotifyReady();
    if (WatchReadyBall(camera)) {
      w.m_lostCount = CountStep(w.m_lostCount, kCountStep);
      w.m_foundCount = 0;
    }
  } else {
    w.m_awayCount = 0;
    camera.NotifyNotReady();
    if (camera.FindBall()) {
      w.m_foundCount = CountStep(w.m_foundCount, kCountStep);
      w.m_lostCount = 0;
    } else {
      w.m_lostCount = CountStep(w.m_lostCount, kCountStep);
      w.m_foundCount = 0;
    }
  }

  const int32_t found = w.m_foundCount;
  const int32_t lost = w.m_lostCount;
  if (lost > unit / 2) camera.ReturnWindowHome();
  if (found >= unit / 2) camera.CentreWindowOnBall();
  if (found >= unit) w.m_ballState = BALL_READY;
  if (lost >= unit) {
    // The mat has been empty long enough: find out where the next ball goes.
    w.m_ballState = BALL_EMPTY;
    camera.StartClassification(camera.m_clubType == CLUB_PUTTER ? 0 : 1);
    return 1;
  }
  if (w.m_ballState != BALL_READY || found != 0) return 1;
  // Ready, and this frame missed the ball: it has been struck.
  return FireShot(camera);
}

}  // namespace

int32_t CMainCamera::WatchFrame() {
  // The operator's modes only place the window; they never watch for a ball.
  if (m_lightCheckMode) {
    if (m_viewFront) {
      RaiseWindow();
    } else {
      ReturnWindowHome();
    }
    MeasureLight();
    return 1;
  }
  if (m_clubAreaMode || m_ballDirectionMode) {
    ReturnWindowHome();
    return 1;
  }
  if (m_clubType != CLUB_PUTTER && m_watch.m_classifyCount > 0) {
    ClassifyStep();
    return 1;
  }
  return WatchBall(*this);
}
