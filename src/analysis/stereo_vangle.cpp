#include "analysis/stereo_vangle.h"

#include <cmath>

#include "analysis/shot_run.h"

void StereoVAngle(ShotRun& run, float HAngleTopSide) {
  CMainCamera& camera = run.camera;
  double diff = std::abs(static_cast<double>(camera.m_HAngle) - HAngleTopSide);
  if (diff <= 0.5) diff = 0.5;
  float v = static_cast<float>(diff + diff * 80 / 100);
  if (v > 50) {
    const auto reduced = static_cast<float>(v - static_cast<double>(v) * 5 / 100);
    run.Log("-> Cam1 VAngle Adj - m_VAngle : %f, VAngle : %f <-\n", v, reduced);
    v = reduced;
  }
  if (v >= 80) v = 80;
  camera.m_VAngle = v;

  const float speed = camera.m_speed;
  float adjusted = speed;
  if (v > 0 && v < 90) {
    adjusted = static_cast<float>(speed - static_cast<double>(v) * speed / 100 * 0.32);
  }
  run.Log("-> Cam1 Speed Adj From VAngle - speed : %f, adj_speed : %f <-\n", speed, adjusted);
  camera.m_speed = adjusted;
}
