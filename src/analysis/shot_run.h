// One analysis run of one shot on its camera's capture thread: the frames it works on, the shot
// directory and log it writes, and how it ends. Each stage of the run is a function over this
// record that either lets the run go on or ends it with an outcome and a directory suffix.
#pragma once

#include <cstdint>

#include "analysis/ball_track_state.h"
#include "analysis/pending_dumps.h"
#include "analysis/run_step.h"
#include "analysis/top_side_result.h"
#include "camera/main_camera.h"

// Shot frames: 42 for the bunker, whose ball climbs steeply out of the tray, else 30.
inline constexpr int32_t kShotFrames = 30;
inline constexpr int32_t kBunkerShotFrames = 42;

struct ShotRun {
  explicit ShotRun(CMainCamera& owner);

  CMainCamera& camera;
  int32_t W = 0;
  int32_t H = 0;
  int32_t frameCount = kShotFrames;  // N
  char shotName[128] = {};
  char directory[kPathSize] = {};  // "./data/<shot name>" until the run renames it
  char logPath[kPathSize] = {};    // empty: lines reach the debug output only

  BallTrackState track;
  // What the main camera received from the side camera; empty when nothing came.
  TopSideValues fromSide;
  // The speed after the range corrections, before any installation adjustment.
  float sampleSpeed = 1000.0f;
  // The side camera measured a right-handed putt: it reports this shot.
  bool puttingUsesSideCamera = false;

  // Frame dumps and the first shot.ini wait until the shot is out (or the run has ended).
  mutable PendingDumps pendingDumps;
  mutable bool shotIniPending = false;

  int32_t outcome = ANALYSIS_DELIVERED;
  const char* suffix = nullptr;  // appended to the directory name when the run ends
  // A shot frame could not be read. The camera error procedure that follows may end the process,
  // so it runs only once the shot record carries its final name.
  bool frameReadFailed = false;

  bool IsPutter() const { return camera.m_clubType == CLUB_PUTTER; }
  int32_t ClubType() const { return camera.m_clubType; }
  // Frame k of the shot frame store (0 = the trigger frame).
  uint8_t* ShotFrame(int32_t k) const;
  // The background every shot frame is compared with: four frames before the trigger.
  const uint8_t* Background() const;
  uint8_t* Mask() const { return camera.m_buffers.work[0].get(); }
  uint8_t* Difference() const { return camera.m_buffers.work[1].get(); }

  // Where the run's stages and file writes are timed.
  RunTimings& timings() const { return camera.m_analysis.lastRun; }
  // Adds the time since startUs to the run's file-write time.
  void CountWrite(int64_t startUs) const;

  void Log(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  // A frame dump of image into the shot directory under the formatted name, written by
  // WritePendingFiles.
  void Dump(const uint8_t* image, const char* nameFormat, ...) const
      __attribute__((format(printf, 3, 4)));
  // Writes what waited for the delivery: the first shot.ini and the frame dumps.
  void WritePendingFiles() const;
  // Ends the run with this outcome; the directory gets the suffix.
  Step End(int32_t endOutcome, const char* directorySuffix);
};
