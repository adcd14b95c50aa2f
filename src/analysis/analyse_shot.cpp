// The analysis run of one shot, on the capture thread of the camera that saw the ball leave. It
// reads the shot's frames first, then tracks the ball, measures, merges the two cameras, adjusts,
// delivers, and leaves the shot record under a name that tells its outcome.
#include "analysis/adjustment_chain.h"
#include "analysis/ball_track.h"
#include "analysis/club_path.h"
#include "analysis/frame_rate_check.h"
#include "analysis/shot_delivery.h"
#include "analysis/shot_frames.h"
#include "analysis/shot_record.h"
#include "analysis/shot_run.h"
#include "analysis/side_camera_wait.h"
#include "analysis/speed_selection.h"
#include "platform/debug_output.h"
#include "platform/monotonic_time.h"

namespace {

constexpr const char* kVersion = "2.0.0.70";
// The track's boxes need a ball at least this wide.
constexpr int32_t kNarrowestBall = 23;

void ResetResults(ShotRun& run) {
  CMainCamera& camera = run.camera;
  camera.m_speed = kNotMeasured;
  camera.m_VAngle = kNotMeasured;
  camera.m_HAngle = kNotMeasured;
  camera.m_sideSpin = 0.0f;
  camera.m_backSpin = 0.0f;
  camera.m_ballAreaForHAngle = CRectT{};
  camera.m_clubPathClass = kNotMeasuredInt;
  if (camera.SensorType == SENSOR_SIDE) TopSideResult().Empty();
  if (camera.SensorType == SENSOR_MAIN) TopSideResult().ForgetEarlierShots();

  run.frameCount = camera.m_clubType == CLUB_BUNKER ? kBunkerShotFrames : kShotFrames;
  for (CBalls& slot : camera.m_balls) slot = CBalls{};
  if (camera.m_foundBallArea.m_width <= kNarrowestBall) {
    camera.m_foundBallArea.m_width = kNarrowestBall;
  }
}

// The ball must have climbed at least a ball's height up the picture to have been struck.
Step CheckRise(ShotRun& run) {
  const int32_t rise = run.camera.m_foundBallArea.m_y - run.track.lastBall.m_y;
  if (rise < run.camera.m_whiteNum.m_ballSizeY) return run.End(ANALYSIS_NO_SHOT, "---");
  return Step::kGoOn;
}

Step MergeAndAdjust(ShotRun& run) {
  CMainCamera& camera = run.camera;
  const bool waits = camera.SensorType == SENSOR_MAIN && camera.m_peer != nullptr;
  if (waits && WaitForSideCamera(run) == Step::kEnd) return Step::kEnd;
  run.timings().sideArrivedUs = platform::MonotonicMicros();
  if (!run.IsPutter()) MeasureClubPathAndSideSpin(run);
  return RunAdjustmentChain(run);
}

Step RunStages(ShotRun& run) {
  CMainCamera& camera = run.camera;
  if (ReadShotFrames(run) == Step::kEnd) return Step::kEnd;
  run.timings().framesReadUs = platform::MonotonicMicros();
  WritePreShotFrames(run);
  run.shotIniPending = true;
  SetUpBallTrack(run);
  run.Log("-> exp : %d, gai : %d, gam : %d <-\n", camera.exposure, camera.gain.load(),
          camera.gamma);
  if (TrackBall(run) == Step::kEnd) return Step::kEnd;
  if (CheckRise(run) == Step::kEnd) return Step::kEnd;
  if (run.IsPutter() && CheckPuttLeftBallAtRest(run) == Step::kEnd) return Step::kEnd;
  if (CheckFrameRate(run) == Step::kEnd) return Step::kEnd;
  if (SelectSpeed(run) == Step::kEnd) return Step::kEnd;
  run.timings().measuredUs = platform::MonotonicMicros();
  if (MergeAndAdjust(run) == Step::kEnd) return Step::kEnd;

  DeliverShot(run);
  run.timings().deliveredUs = platform::MonotonicMicros();
  run.WritePendingFiles();
  run.Log(
      "-> result - m_speed : %f, m_HAngle : %f, m_VAngle : %f, m_sideSpin : %f, m_backSpin : %f "
      "<-\n",
      camera.m_speed.load(), camera.m_HAngle.load(), camera.m_VAngle.load(),
      camera.m_sideSpin.load(), camera.m_backSpin.load());
  WriteShotIni(run);
  if (IsReportingCamera(run)) RefreshClubPathFolder(run);
  return Step::kGoOn;
}

}  // namespace

int32_t CMainCamera::AnalyseShot() {
  platform::OutputDebugStringA(SensorType == SENSOR_MAIN ? "-> Start Analysis(TopMain) <-\n"
                                                         : "-> Start Analysis(TopSide) <-\n");
  m_analysis.lastRun = RunTimings{};
  m_analysis.lastRun.startUs = platform::MonotonicMicros();
  ShotRun run(*this);
  OpenShotRecord(run);
  run.Log("-> MY_PRODUCT_VERSION : %s <-\n", kVersion);
  ResetResults(run);
  RunStages(run);
  run.WritePendingFiles();
  CloseShotRecord(run);
  m_analysis.lastRun.finishedUs = platform::MonotonicMicros();
  // Last: when the updater starts, this ends the process, and a record left under its first name
  // would not tell how the shot ended.
  if (run.frameReadFailed) CameraError(kCameraErrorRead);
  return run.outcome;
}
