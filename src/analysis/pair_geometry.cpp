#include "analysis/pair_geometry.h"

#include <cmath>
#include <cstdlib>

#include "analysis/shot_run.h"
#include "camera/main_camera.h"

namespace {

constexpr double kTinyDivisor = 0.0000001;
constexpr double kPi = 3.1415926535;

bool IsGameCamera(const CMainCamera& camera) {
  return camera.SensorType == SENSOR_MAIN || camera.SensorType == SENSOR_SIDE;
}

bool IsPutter(const CMainCamera& camera) {
  return camera.m_clubType == CLUB_PUTTER;
}

double SpeedFactor(const CMainCamera& camera) {
  const double ratio = camera.meterForImageRatio;
  if (!IsPutter(camera)) return ratio;
  return IsGameCamera(camera) ? ratio * 0.5 / 2.24 : ratio * 0.5;
}

double NonZero(double v) {
  return v == 0.0 ? kTinyDivisor : v;
}

}  // namespace

int32_t FramePeriodMs(const CMainCamera& camera) {
  const int32_t unit = camera.m_whiteNum.m_frameUnit;
  const int32_t period = unit > 0 ? 1000 / unit : 0;
  return period > 0 ? period : 1;
}

float PairSpeed(const CMainCamera& camera, const CRectT& from, const CRectT& to, int32_t gap,
                bool fromRest) {
  if (gap == 0) gap = 1;
  double g = gap;
  if (fromRest) g -= g * 25 / 100;
  const double dy = static_cast<double>(from.m_y) - to.m_y;
  const double dx = static_cast<double>(from.m_x) - to.m_x;
  const double along = dy / g;
  const double dist = std::sqrt(along * along + dx * dx);
  const auto speed = static_cast<float>(SpeedFactor(camera) * dist / FramePeriodMs(camera));
  return IsPutter(camera) ? PuttCurve(speed) : speed;
}

float PuttCurve(float speed) {
  struct Band {
    double lo, hi, raise;
  };
  static constexpr Band kBands[] = {
      {0.9, 1.0, 0.05}, {0.8, 0.9, 0.1},  {0.7, 0.8, 0.15}, {0.6, 0.7, 0.2},  {0.5, 0.6, 0.25},
      {0.4, 0.5, 0.3},  {0.3, 0.4, 0.35}, {0.2, 0.3, 0.4},  {0.1, 0.2, 0.45}, {0.0, 0.1, 0.5},
  };
  const double x = speed;
  for (const Band& band : kBands) {
    if (band.lo <= x && x <= band.hi) return static_cast<float>(x + x * band.raise);
  }
  return speed;
}

CRectT MapSideToMain(const CMainCamera& camera, CRectT rect) {
  const CMainCamera* peer = camera.m_peer;
  if (peer == nullptr) return rect;
  const int32_t tee = camera.TeeReferenceRect().m_x;
  const int64_t diff = int64_t{tee} - rect.m_x;
  double x;
  if (diff >= 0) {
    x = tee - static_cast<double>(diff) * peer->leftImageWidthFromTeePosition /
                  NonZero(camera.leftImageWidthFromTeePosition);
  } else {
    x = tee + static_cast<double>(-diff) * peer->rightImageWidthFromTeePosition /
                  NonZero(camera.rightImageWidthFromTeePosition);
  }
  // Truncation toward zero, kept inside the range of a pixel coordinate.
  if (!(x > -2147483648.0)) x = -2147483648.0;
  if (!(x < 2147483647.0)) x = 2147483647.0;
  rect.m_x = static_cast<int32_t>(x);
  return rect;
}

float PairHAngle(const ShotRun& run, const CRectT& rect, int32_t frameIndex) {
  const CMainCamera& camera = run.camera;
  CRectT rest = camera.m_foundBallArea;
  CRectT ball = rect;
  if (camera.SensorType == SENSOR_SIDE) {
    rest = MapSideToMain(camera, rest);
    ball = MapSideToMain(camera, ball);
  }
  const double heightDivisor = IsGameCamera(camera) ? 2.07 : 2.42;
  double v = camera.meterForImageRatio * (static_cast<double>(rest.m_y) - ball.m_y) / heightDivisor;
  if (IsPutter(camera)) v += v * 50 / 100;
  const double restCentreX = rest.m_width * 0.5 + rest.m_x;
  const double ballCentreX = ball.m_width * 0.5 + ball.m_x;
  run.Log(
      "-> captureImageIndex : %d, _foundBall.m_x : %d, _foundBall.m_width : %d, "
      "_ballArea.m_x : %d, _ballArea.m_width : %d, foundBallCenterX : %f, ballAreaCenterX : "
      "%f <-\n",
      frameIndex, rest.m_x, rest.m_width, ball.m_x, ball.m_width, restCentreX, ballCentreX);
  const double d = restCentreX - ballCentreX;
  if (d == 0.0) return 0.0f;
  double angle = -std::atan(d / NonZero(v)) * 180 / kPi;
  if (IsPutter(camera) && angle > 1) angle += angle * 30 / 100;
  return static_cast<float>(angle);
}
