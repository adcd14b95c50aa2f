#include "analysis/club_path.h"

#include <cstring>

#include "analysis/diff_frames.h"
#include "analysis/shot_run.h"
#include "watch/bright_count.h"

namespace {

constexpr int32_t kClubBoxWidth = 12;
constexpr int32_t kClubBoxHeight = 16;
constexpr int32_t kClubThreshold = 13;
constexpr float kSpinLimit = 2500.0f;
constexpr float kSmallestSpin = 152.8f;

struct ClubPoint {
  int32_t x = -1;
  int32_t y = -1;
  bool Known() const { return x != -1 && y != -1; }
};

// Differences shot frame image against the background below row top into the difference image.
void DiffBelow(ShotRun& run, const uint8_t* image, int32_t top) {
  const size_t bytes = static_cast<size_t>(run.W) * run.H;
  std::memset(run.Mask(), 0, bytes);
  std::memset(run.Difference(), 0, bytes);
  CRectT below = MakeRect(0, top, run.W, run.H - top);
  ClampToImage(below, run.W, run.H);
  DiffFrames(kClubThreshold, run.Mask(), run.Difference(), run.Background(), image, below, run.W,
             run.H);
}

void ClearOnDifference(ShotRun& run, const CRectT& r) {
  ClearRect(r, run.Difference(), run.W, run.H);
}

// The first club-sized patch of change, column by column from the far side of the player inwards
// and row by row upwards in each column.
ClubPoint SearchClub(const ShotRun& run, int32_t level, int32_t percent, int32_t columnLimit,
                     int32_t leftLimit, int32_t rowStart, int32_t rowLimit) {
  const bool right = run.track.handedness == HAND_RIGHT;
  const int32_t needed = kClubBoxWidth * kClubBoxHeight * percent / 100;
  for (int32_t x = right ? run.W : 0; right ? x > columnLimit : x < leftLimit;
       x += right ? -1 : 1) {
    for (int32_t y = rowStart; y > rowLimit; --y) {
      CRectT box = MakeRect(x, y, kClubBoxWidth, kClubBoxHeight);
      ClampToImage(box, run.W, run.H);
      if (CountWhite(box, run.W, run.Difference(), level, run.H) > needed)
        return {box.m_x, box.m_y};
    }
  }
  return {};
}

ClubPoint FindClubStart(ShotRun& run) {
  const CMainCamera& camera = run.camera;
  const CRectT& f = camera.m_foundBallArea;
  DiffBelow(run, camera.m_buffers.preShot[0].get(), f.m_y);
  ClearOnDifference(
      run, MakeRect(f.m_x, f.m_y, camera.m_whiteNum.m_ballSizeX, camera.m_whiteNum.m_ballSizeY));
  const ClubPoint start =
      SearchClub(run, camera.m_whiteNum.m_shotLevelD, camera.m_whiteNum.m_shotPercentB, f.m_x,
                 f.m_x + f.m_width, f.m_y + 2 * camera.m_whiteNum.m_ballSizeY, f.m_y);
  run.Dump(run.Difference(), "image_club_path_first_image.bmp");
  return start;
}

// The shot frame whose club position ends the path: frame 1, or the configured frame, when the
// track measured a speed there.
int32_t ClubEndFrame(const ShotRun& run) {
  const CMainCamera& camera = run.camera;
  int32_t m = camera.m_balls[1].m_ball.m_speed != kNotMeasured ? 1 : -1;
  const int32_t setting = camera.secondImgIndexForSideSpin;
  if (setting >= 0 && setting <= 2 && camera.m_balls[setting].m_ball.m_speed != kNotMeasured) {
    m = setting;
  }
  return m;
}

ClubPoint FindClubEnd(ShotRun& run) {
  const CMainCamera& camera = run.camera;
  const CWhiteNum& t = camera.m_whiteNum;
  const int32_t m = ClubEndFrame(run);
  if (m < 0) return {};
  const CRectT& f = camera.m_foundBallArea;
  const CRectT& c = camera.m_balls[m].m_ball.m_rect;
  DiffBelow(run, run.ShotFrame(m), c.m_y);
  // The resting place, the flying ball and its sides are not the club.
  const int32_t tall = t.m_ballBoxHeight + t.m_ballSizeY;
  ClearOnDifference(run, MakeRect(f.m_x + 2, f.m_y, 18, t.m_ballSizeY));
  ClearOnDifference(run, MakeRect(c.m_x + 1, c.m_y, 21, tall));
  ClearOnDifference(run, MakeRect(c.m_x - t.m_ballSizeX, c.m_y, t.m_ballSizeX, tall));
  ClearOnDifference(run, MakeRect(c.m_x + t.m_ballSizeX, c.m_y, t.m_ballSizeX, tall));
  const ClubPoint end = SearchClub(run, t.m_shotLevelE, t.m_shotPercentC, c.m_x, c.m_x + c.m_width,
                                   f.m_y - t.m_ballSizeY / 2, c.m_y + t.m_ballSizeY);
  run.Dump(run.Difference(), "image_club_path_second_image_%d.bmp", m);
  return end;
}

// The horizontal angle the classification compares the club path with: for the main camera the
// mean of both cameras, and the ball's x between both cameras' views.
float ClassificationAngle(ShotRun& run) {
  CMainCamera& camera = run.camera;
  float angle = camera.m_HAngle;
  if (camera.SensorType != SENSOR_MAIN) return angle;
  const TopSideValues& side = run.fromSide;
  if (side.rect.m_x > 0 && side.rect.m_y > 0) {
    camera.m_ballAreaForHAngle.m_x = (side.rect.m_x + camera.m_ballAreaForHAngle.m_x) / 2;
  }
  if (side.HAngleTopSide != kNotMeasured) {
    run.Log("-> HAngle Adj - HAngleTemp : %f, HAngleTopSide : %f <-\n", angle, side.HAngleTopSide);
    angle = static_cast<float>((static_cast<double>(side.HAngleTopSide) + angle) * 0.5);
  }
  return angle;
}

struct SpinResult {
  double spin = 0;
  int32_t pathClass = PATH_HOOK_SIDE;
};

// Without a club line the spin follows the ball's direction alone.
SpinResult DirectionSpin(const ShotRun& run, double s, double angle) {
  run.Log("-> Side Spin Adj(Slice/Hook) <-\n");
  const double spin = s * (angle * 120) * 17 / 100;
  return {spin, spin > 0 ? PATH_SLICE_SIDE : PATH_HOOK_SIDE};
}

// With the club line: which side of the club line the ball left on, against the ball's direction.
SpinResult ClubLineSpin(const ShotRun& run, const ClubPoint& start, const ClubPoint& end, double s,
                        double angle) {
  const int32_t H = run.H;
  const CRectT& ball = run.camera.m_ballAreaForHAngle;
  const int32_t D = start.x - end.x;
  const int32_t g = D != 0 ? D : 1;
  const int32_t k = (end.y - start.y) / g;
  // In bottom-up coordinates the club line is Y = b + k X; x is where it crosses the ball's row.
  const double b = static_cast<double>(H - start.y) - static_cast<double>(start.x) * k;
  const double kk = k != 0 ? k : 0.0000001;
  const double x = (static_cast<double>(H - ball.m_y) - b) / kk;
  run.Log("-> side spin - m_ballAreaForHAngle.m_x : %d, x : %f <-\n", ball.m_x, x);
  const double ballX = ball.m_x;
  const bool moved = end.x != start.x && end.y != start.y;

  SpinResult r;
  if (D > 0 && angle < 0) {
    if (ballX < x && moved) {
      run.Log("-> Side Spin(Out->In => Hook) <-\n");
      r = {s * ((x - ballX) * 120 * -1) * 8 / 100, PATH_OUT_IN_HOOK};
    } else {
      run.Log("-> Side Spin(Out->In => Fade) <-\n");
      r = {s * (D * 120.0) * 10 / 100, PATH_OUT_IN_FADE};
    }
  } else if (D < 0 && angle > 0) {
    if (ballX > x && moved) {
      run.Log("-> Side Spin(In->Out => Slice) <-\n");
      r = {s * ((ballX - x) * 120) * 8 / 100, PATH_IN_OUT_SLICE};
    } else {
      run.Log("-> Side Spin(In->Out => Draw) <-\n");
      r = {s * (D * 120.0) * 10 / 100, PATH_IN_OUT_DRAW};
    }
  } else {
    run.Log("-> Side Spin(Slice/Hook) <-\n");
    const double spin = (D < 0 ? -D : D) * 0.5 * angle * 0.5 * 120 * s * 17 / 100;
    r = {spin, spin > 0 ? PATH_SLICE_SIDE : PATH_HOOK_SIDE};
  }
  // A value this large comes from a club line that is not the club's.
  if (r.spin <= -kSpinLimit || r.spin >= kSpinLimit) r = DirectionSpin(run, s, angle);
  return r;
}

}  // namespace

void MeasureClubPathAndSideSpin(ShotRun& run) {
  CMainCamera& camera = run.camera;
  ClubPoint start = FindClubStart(run);
  ClubPoint end = FindClubEnd(run);
  // Out of the bunker the sand flies with the club: its positions say nothing about the path.
  if (run.ClubType() == CLUB_BUNKER) start = end = ClubPoint{};

  const double angle = ClassificationAngle(run);
  const double s = static_cast<double>(camera.m_speed) * 7 / 100;
  const SpinResult r = start.Known() && end.Known() ? ClubLineSpin(run, start, end, s, angle)
                                                    : DirectionSpin(run, s, angle);
  auto spin = static_cast<float>(r.spin);
  if (run.ClubType() != CLUB_DRIVER)
    spin = static_cast<float>(static_cast<double>(spin) * 85 / 100);
  // Zero would read as "no spin measured" downstream: the smallest spin of the class instead.
  if (spin == 0.0f) spin = r.pathClass == PATH_SLICE_SIDE ? kSmallestSpin : -kSmallestSpin;
  camera.m_sideSpin = spin;
  camera.m_clubPathClass = r.pathClass;
  run.Log("-> side spin - startX : %d, startY : %d, endX : %d, endY : %d <-\n", start.x, start.y,
          end.x, end.y);
}

void ComputeBackSpin(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const double speed = camera.m_speed;
  const double slower = 90 - speed > 0 ? 90 - speed : 0;
  camera.m_backSpin = static_cast<float>(slower * 0.5 * camera.m_VAngle * 2.42 + 2000);
}
