#include "analysis/adjustment_chain.h"

#include <cmath>
#include <filesystem>

#include "analysis/club_path.h"
#include "analysis/shot_run.h"
#include "analysis/stereo_vangle.h"
#include "analysis/vangle_adj_table.h"
#include "platform/milli_clock.h"

namespace {

constexpr float kSlowestSpeed = 0.1f;
constexpr float kSmallestSpin = 152.8f;
constexpr float kMaxHAngle = 40.0f;

float Percent(float x, double p) {
  return static_cast<float>(x + static_cast<double>(x) * p / 100);
}

bool IsMain(const ShotRun& run) {
  return run.camera.SensorType == SENSOR_MAIN;
}

bool IsGameCamera(const ShotRun& run) {
  return run.camera.SensorType == SENSOR_MAIN || run.camera.SensorType == SENSOR_SIDE;
}

Step NoBall(ShotRun& run) {
  run.Log("-> No Ball <-\n");
  return run.End(ANALYSIS_NO_SHOT, "---");
}

// Step 1: a speed and a plausible direction, or no ball at all.
bool HasBall(const CMainCamera& camera) {
  const float speed = camera.m_speed;
  const float angle = camera.m_HAngle;
  return speed > 0 && speed != kNotMeasured && angle != kNotMeasured && angle > -kMaxHAngle &&
         angle < kMaxHAngle;
}

// Step 2: the side camera's speed and angle meet the main camera's.
Step MergeSideCamera(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const TopSideValues& side = run.fromSide;
  if (side.HAngleTopSide == kNotMeasured) {
    run.Log("-> No HAngle Cam2 <-\n");
    return NoBall(run);
  }
  if (side.speedTopSide != kNotMeasured) {
    const float speed = camera.m_speed;
    run.Log("-> Cam1 Speed Adj - m_speed : %f, speedTopSide : %f <-\n", speed, side.speedTopSide);
    const float lo = speed < side.speedTopSide ? speed : side.speedTopSide;
    // Speeds that disagree by half the slower one: the faster has skipped a frame.
    if (std::abs(static_cast<double>(speed) - side.speedTopSide) > lo * 0.5) {
      camera.m_speed = lo;
    } else {
      camera.m_speed = static_cast<float>((static_cast<double>(side.speedTopSide) + speed) * 0.5);
    }
  }
  StereoVAngle(run, side.HAngleTopSide);
  return Step::kGoOn;
}

// Step 6: speed corrections by range, then the small offset of the jitter table.
void AdjustSpeedByRange(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const float speed = camera.m_speed;
  if (run.IsPutter()) {
    camera.m_speed = Percent(speed, 70);
    run.Log("-> Putting Speed Adj - speed : %f, m_speed : %f <-\n", speed, camera.m_speed.load());
  } else if (speed < 20) {
    float adjusted = Percent(speed, speed < 10 ? -12 : -5);
    if (adjusted < kSlowestSpeed) adjusted = kSlowestSpeed;
    camera.m_speed = adjusted;
    run.Log("-> D/I Speed Adj - speed : %f, m_speed : %f <-\n", speed, adjusted);
  }
  run.sampleSpeed = camera.m_speed;

  AnalysisState& state = camera.m_analysis;
  const uint32_t r = static_cast<uint32_t>(platform::MilliClock()) % 100;
  double jitter;
  if (camera.m_speed < 2.5f) {
    jitter = static_cast<double>(r % 30) / 100;
  } else {
    jitter = static_cast<double>(state.speedJitter[state.speedJitterIndex]) + (r % 4) * 0.01;
    state.speedJitterIndex = (state.speedJitterIndex + 1) % kSpeedJitterCount;
  }
  float jittered = static_cast<float>(camera.m_speed + jitter);
  if (jittered < kSlowestSpeed) jittered = kSlowestSpeed;
  camera.m_speed = jittered;
  run.Log("-> R Speed Adj - m_speed : %f <-\n", jittered);
}

// Step 7: the main camera's angles from both cameras and the installation's angle adjustments.
void AdjustMainAngles(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const float side = run.fromSide.HAngleTopSide;
  if (side != kNotMeasured && !run.IsPutter()) {
    run.Log("-> HAngle Adj - m_HAngle : %f, HAngleTopSide : %f <-\n", camera.m_HAngle.load(), side);
    camera.m_HAngle = static_cast<float>((static_cast<double>(side) + camera.m_HAngle) * 0.5);
    camera.m_HAngle =
        static_cast<float>(static_cast<double>(camera.m_HAngle) + camera.m_HAngleAdjForPlus);
    run.Log("-> HAngle Adj - m_HAngle : %f, m_HAngleAdjForPlus : %f <-\n", camera.m_HAngle.load(),
            camera.m_HAngleAdjForPlus);
  }

  float v = Percent(camera.m_VAngle, 28);
  if (v <= 10) {
    v = Percent(v, 20);
  } else if (v <= 20) {
    v = Percent(v, 15);
  } else if (v <= 40) {
    v = Percent(v, 20);
  } else {
    v = Percent(v, 10);
  }
  camera.m_VAngle = v;

  const auto adjust = [&](const char* multiLine, float multi, const char* plusLine, float plus) {
    run.Log(multiLine, camera.m_VAngle.load(), multi);
    camera.m_VAngle = Percent(camera.m_VAngle, multi);
    camera.m_VAngle = static_cast<float>(static_cast<double>(camera.m_VAngle) + plus);
    run.Log(plusLine, camera.m_VAngle.load(), plus);
  };
  if (run.ClubType() == CLUB_DRIVER) {
    adjust("-> Driver VAngle Adj - m_VAngle : %f, m_VAngleDriverAdjForMulti : %f <-\n",
           camera.m_VAngleDriverAdjForMulti,
           "-> Driver VAngle Adj - m_VAngle : %f, m_VAngleDriverAdjForPlus : %f <-\n",
           camera.m_VAngleDriverAdjForPlus);
  } else if (!run.IsPutter()) {
    adjust("-> Iron VAngle Adj - m_VAngle : %f, m_VAngleIronAdjForMulti : %f <-\n",
           camera.m_VAngleIronAdjForMulti,
           "-> Iron VAngle Adj - m_VAngle : %f, m_VAngleIronAdjForPlus : %f <-\n",
           camera.m_VAngleIronAdjForPlus);
  }
  if (camera.m_VAngle < 3.0f) camera.m_VAngle = 3.0f;
  if (camera.m_VAngle > 80.0f) camera.m_VAngle = 80.0f;
}

// Step 8: the side camera hands its result over, or, for a putt it does not report, nothing.
void LeaveSideResult(ShotRun& run) {
  CMainCamera& camera = run.camera;
  if (run.IsPutter() && run.track.handedness != HAND_RIGHT) {
    TopSideResult().Empty();
    return;
  }
  if (run.IsPutter()) run.puttingUsesSideCamera = true;
  TopSideValues values;
  values.speedTopSide = camera.m_speed;
  values.HAngleTopSide = camera.m_HAngle;
  values.rect = camera.m_ballAreaForHAngle;
  TopSideResult().Publish(values);
}

// Step 10: the installation's adjustments, by the camera that reports.
void AdjustForInstallation(ShotRun& run) {
  CMainCamera& camera = run.camera;
  if (!run.IsPutter()) {
    // A ball that climbs this steeply this slowly was measured over a short stretch only.
    const float sample = run.sampleSpeed;
    const float v = camera.m_VAngle;
    if (sample != kNotMeasured && v != kNotMeasured && v >= 59 && sample <= 9.5f) {
      camera.m_speed = Percent(camera.m_speed, sample <= 3 ? 200 : 100);
      run.Log("-> For Sample Adj - m_VAngle : %f, m_speed : %f <-\n", v, camera.m_speed.load());
    }
  } else {
    camera.m_speed = Percent(camera.m_speed, camera.m_speedPuttingAdjForMulti);
    run.Log("-> Speed Adj(Putting) - m_speed : %f, m_speedPuttingAdjForMulti : %f <-\n",
            camera.m_speed.load(), camera.m_speedPuttingAdjForMulti);
    return;
  }
  camera.m_speed = Percent(camera.m_speed, camera.m_speedAdjForMulti);
  run.Log("-> Speed Adj - m_speed : %f, m_speedAdjForMulti : %f <-\n", camera.m_speed.load(),
          camera.m_speedAdjForMulti);

  // The installer's percentages widen a spin of either side; they never turn it round.
  float spin = camera.m_sideSpin;
  if (spin > 0) {
    spin = static_cast<float>(spin + std::abs(static_cast<double>(spin)) *
                                         camera.m_sideSpinAdjForMulti_Slice / 100);
    if (spin <= 0) spin = kSmallestSpin;
  } else {
    spin = static_cast<float>(spin - std::abs(static_cast<double>(spin)) *
                                         camera.m_sideSpinAdjForMulti / 100);
    if (spin >= 0) spin = -kSmallestSpin;
  }
  run.Log(
      "-> Side Spin Adj(Multi) - m_sideSpin : %f, m_sideSpinAdjForMulti : %f, "
      "m_sideSpinAdjForMulti_Slice : %f <-\n",
      spin, camera.m_sideSpinAdjForMulti, camera.m_sideSpinAdjForMulti_Slice);
  spin = static_cast<float>(static_cast<double>(spin) + camera.m_sideSpinAdjForPlus);
  camera.m_sideSpin = spin;
  run.Log("-> Side Spin Adj(Plus) - m_sideSpin : %f, m_sideSpinAdjForPlus : %f <-\n", spin,
          camera.m_sideSpinAdjForPlus);

  camera.m_backSpin = Percent(camera.m_backSpin, camera.m_backSpinAdjForMulti);
  run.Log("-> Back Spin Adj - m_backSpin : %f, m_backSpinAdjForMulti : %f <-\n",
          camera.m_backSpin.load(), camera.m_backSpinAdjForMulti);

  VAngleAdjTable table;
  table.Load((std::filesystem::current_path() / kVAngleAdjFile).string().c_str());
  const int32_t d = table.PercentFor(camera.m_VAngle);
  camera.m_speed =
      static_cast<float>(camera.m_speed + static_cast<double>(d) * camera.m_speed / 100);
}

}  // namespace

bool IsReportingCamera(const ShotRun& run) {
  return IsMain(run) || run.puttingUsesSideCamera;
}

Step RunAdjustmentChain(ShotRun& run) {
  CMainCamera& camera = run.camera;
  if (!HasBall(camera)) return NoBall(run);
  if (IsMain(run) && !run.IsPutter() && MergeSideCamera(run) == Step::kEnd) return Step::kEnd;

  ComputeBackSpin(run);
  if (run.ClubType() == CLUB_DRIVER) {
    const float speed = camera.m_speed;
    camera.m_speed = Percent(speed, 7);
    run.Log("-> Driver Speed Adj - speed : %f, m_speed : %f <-\n", speed, camera.m_speed.load());
  }
  if (IsGameCamera(run)) AdjustSpeedByRange(run);
  if (IsMain(run)) AdjustMainAngles(run);
  if (camera.SensorType == SENSOR_SIDE) LeaveSideResult(run);

  if (run.IsPutter()) {
    camera.m_VAngle = 0.0f;
    camera.m_sideSpin = 0.0f;
    camera.m_backSpin = 0.0f;
  }
  camera.m_HAngle =
      static_cast<float>(static_cast<double>(camera.shotAngleAdj) + camera.m_HAngle - 1.5);
  if (run.IsPutter() && camera.m_HAngle < 0) {
    const double h = camera.m_HAngle;
    camera.m_HAngle = static_cast<float>(h - std::abs(h * 44 / 100));
  }

  if (!IsReportingCamera(run)) return Step::kGoOn;
  AdjustForInstallation(run);
  if (run.IsPutter()) {
    camera.m_HAngle = static_cast<float>(static_cast<double>(camera.m_HAngleAdjForPlusForPutter) +
                                         camera.m_HAngle);
    run.Log("-> HAngle Adj - m_HAngle : %f, m_HAngleAdjForPlusForPutter : %f <-\n",
            camera.m_HAngle.load(), camera.m_HAngleAdjForPlusForPutter);
  }
  return Step::kGoOn;
}
