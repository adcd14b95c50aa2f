// The camera object: everything that belongs to one camera. It is the hub every subsystem works
// on; each subsystem defines its member operations in its own folder and keeps its state in its
// own group below.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/analysis_state.h"
#include "camera/capture_state.h"
#include "camera/frame_buffers.h"
#include "camera/view_snapshot.h"
#include "platform/relaxed.h"
#include "watch/ball_records.h"
#include "watch/club_type.h"
#include "watch/rect.h"
#include "watch/watch_state.h"
#include "watch/white_num.h"

struct ShotResultRecord;
struct EditRequest;
using ResultCallback = void (*)(ShotResultRecord* record);

inline constexpr int kZigPointCount = 6;  // two columns of three rows
inline constexpr int kMatPointCount = 4;
inline constexpr int kBallRecordCount = 100;
inline constexpr int kPathSize = 512;  // working directory and settings file name

enum SensorTypeCode : int32_t { SENSOR_MAIN = 0, SENSOR_SIDE = 1, SENSOR_CHECK_VIEW = 2 };

struct IntPoint {
  int32_t x = 0;
  int32_t y = 0;
};

// The five club areas from the settings file and their copies moved with the capture window.
struct ClubAreas {
  CRectT driverArea;
  CRectT driverAreaShifted;
  CRectT ironArea;
  CRectT ironAreaShifted;
  CRectT ironArea_Rough;
  CRectT ironAreaShifted_Rough;
  CRectT ironArea_Bunker;
  CRectT ironAreaShifted_Bunker;
  CRectT putterArea;
  CRectT putterAreaShifted;
};

class CMainCamera {
 public:
  CMainCamera();
  virtual ~CMainCamera();
  CMainCamera(const CMainCamera&) = delete;
  CMainCamera& operator=(const CMainCamera&) = delete;

  // ---- settings file (camera/camera_settings.cpp)
  void ReadSettings();
  void WriteSettings();
  void WriteGainOnly();
  void SetMeter(int32_t newMeter);
  float ScaleFactor() const;
  // Where the settings file lives: working directory joined with the file name.
  std::string SettingsPath() const;
  void SetSettingsLocation(const char* workingDirectory, const char* fileName);

  // ---- ball finder (watch/ball_finder.cpp)
  CRectT GetClubArea(int32_t clubType) const;
  bool IsBallAt(const CRectT* rect, int32_t halfHeight, int32_t halfWidth,
                const uint8_t* image = nullptr) const;
  bool FindBall(const CRectT* searchRect = nullptr, const uint8_t* image = nullptr,
                CRectT* outRect = nullptr);
  bool IsTriggered(CRectT* rect, int32_t clubType);
  bool AreaHasBall(int32_t clubType);

  // ---- open, capture thread, window moves (camera/: open, capture, window placement)
  // Model name, settings file and reference image of one open variant.
  struct OpenVariant;
  // Opens as the main camera (CSideCamera::Open: as the side camera): finds the camera by its
  // model name, reads the settings, allocates the buffers once and starts the capture thread.
  // A failure still writes the settings file.
  bool Open(const char* workingDirectory, int32_t sensorType);
  bool OpenAs(const OpenVariant& variant, const char* workingDirectory, int32_t sensorType);
  // The tuning table of the sensor type, and its default exposure and gamma.
  void TakeTables(int32_t sensorType);
  // Ends the capture thread (which closes the camera) and writes the settings file.
  void Stop();
  // Restarts streaming on the capture thread that still runs, paused by another window.
  bool ReOpen();
  // ROI, fixed controls, window home, exposure, gain, gamma, flips and start of streaming.
  bool StartStreaming();
  // Logs a camera fault and starts the updater; the process then exits. Returns only when the
  // updater cannot be started.
  void CameraError(int32_t reason);
  void CaptureThreadBody();
  // One pass of the capture loop, one frame; false when the loop is to be left.
  bool CaptureOnePass();
  // Clears the run flag and waits for an earlier capture thread to close its camera and end.
  void EndCaptureThread();
  void CentreWindowOnBall();
  void ReturnWindowHome();
  void RaiseWindow();
  // The tee reference rectangle, moved with the window while it is centred on the ball.
  CRectT TeeReferenceRect() const;

  // ---- gain, flips, brightness and light check (camera/)
  void ApplyGain(int32_t value);
  // The gain the camera reports (it moves by itself while automatic gain is on).
  int32_t ReadReportedGain() const;
  void SetVerticalFlip(int32_t v);
  void SetHorizontalFlip(int32_t h);
  // The operator's gain; exposure and gamma go back to the table defaults; writes the settings.
  void ApplyBrightness(int32_t gainValue);
  // atOpen: all ten points enabled and the zig results hidden; else the six zig points enabled.
  void LayOutLightCheckPoints(bool atOpen);
  // One measurement of the ten light-check boxes on the live frame.
  void MeasureLight();
  // The live frame becomes the reference image, in memory and in its file.
  bool SaveReferenceImage();
  void LoadReferenceImage(const char* path);

  // ---- club-area classification and per-frame watch (watch/)
  // Declarations of the watch subsystem go here.
  // One watch step per captured frame; -1000 reports a frame rate too low for shots.
  int32_t WatchFrame();
  // Readiness reports, run every frame: ready while BALL_READY, not ready otherwise.
  void NotifyReady();
  void NotifyNotReady();
  // 1 starts a club-area classification, 0 suppresses it (putter); one frame of it.
  void StartClassification(int32_t value);
  void ClassifyStep();
  // Zeroes the live frame, the shot frame store and the analysis work buffers.
  void ClearFrames();
  // The shot analysis (analysis/): an AnalysisOutcome.
  int32_t AnalyseShot();

  // The frame the watch looks at when no image is given.
  const uint8_t* LiveFrame() const { return m_buffers.live.get(); }
  int32_t FrameWidth() const { return m_whiteNum.m_width; }
  int32_t FrameHeight() const { return m_whiteNum.m_height; }

  // ---- frame buffers (allocated at the first open)
  FrameBuffers m_buffers;
  CaptureState m_capture;
  WatchState m_watch;
  // What the operator's view shows, published by the capture thread.
  ViewSnapshots m_view;
  // The operator's latest edit of points, areas and window place, until the thread takes it.
  std::unique_ptr<EditRequest> m_editRequest;

  // ---- brightness
  int32_t exposure = 1000;
  platform::Relaxed<int32_t> gain = 300;  // also applied by the capture thread when it centres
  int32_t gamma = 50;
  int32_t vflip = 1;
  int32_t hflip = 1;

  // ---- club and watch results
  platform::Relaxed<int32_t> m_clubType = CLUB_DRIVER;
  platform::Relaxed<int32_t> m_clubCode = 0;  // the client's last club selection (7100)
  ClubAreas m_areas;
  CRectT m_foundBallArea;  // the ball at rest
  CRectT m_triggerArea;    // the strip the struck ball enters first
  CRectT m_ballCheckArea;  // where the shot analysis searches

  // ---- shot analysis records and results (analysis/); the console shows the results
  CBalls m_balls[kBallRecordCount];
  platform::Relaxed<float> m_speed = kNotMeasured;
  platform::Relaxed<float> m_VAngle = kNotMeasured;
  platform::Relaxed<float> m_HAngle = kNotMeasured;
  CRectT m_ballAreaForHAngle;
  platform::Relaxed<float> m_sideSpin = kNotMeasured;
  // A spin value reset with the others before every shot; nothing measures it (it is not the
  // derived speed the shot record carries).
  platform::Relaxed<float> m_spareSpin = kNotMeasured;
  platform::Relaxed<float> m_backSpin = kNotMeasured;
  platform::Relaxed<int32_t> m_clubPathClass = kNotMeasuredInt;
  AnalysisState m_analysis;

  // ---- light check points and results
  CRectT m_zigPoints[kZigPointCount];  // column i, row j at index i * 3 + j
  CCheckLight m_zigCheck[kZigPointCount];
  CRectT m_matPoints[kMatPointCount];
  CCheckLight m_matCheck[kMatPointCount];

  // ---- operator modes set by the console
  platform::Relaxed<uint8_t> m_lightCheckMode = 0;
  platform::Relaxed<uint8_t> m_viewFront = 0;
  platform::Relaxed<uint8_t> m_clubAreaMode = 0;

  // ---- location and identity
  char m_workingDirectory[kPathSize] = {};
  IntPoint cameraPosition;  // added to the capture window origin on the sensor
  char m_settingsFileName[kPathSize] = {};
  // Installed by start-up while the capture threads may already run.
  platform::Relaxed<ResultCallback> m_resultCallbacks[2];
  int32_t meter = 67;  // pixels between the two ball-direction markers
  float meterForImageRatio = 2.4f;
  int32_t SensorType = SENSOR_MAIN;
  platform::Relaxed<CMainCamera*> m_peer = nullptr;

  CWhiteNum m_whiteNum;

  // ---- capture window placement
  platform::Relaxed<bool> m_windowMoved = false;
  float zeroAngle = 0.0f;
  float leftImageWidthFromTeePosition = 0.0f;
  float rightImageWidthFromTeePosition = 0.0f;
  int32_t m_windowShiftX = 0;  // home origin minus current origin
  int32_t m_windowShiftY = 0;
  platform::Relaxed<uint8_t> m_ballDirectionMode = 0;  // points live in zigArea_adj_ball

  // ---- adjustment values
  float shotAngleAdj = 0.0f;
  float m_HAngleAdjForPlus = 0.0f;
  float m_HAngleAdjForPlusForPutter = 0.0f;
  float m_VAngleDriverAdjForMulti = 0.0f;
  float m_VAngleIronAdjForMulti = 0.0f;
  float m_VAngleDriverAdjForPlus = 0.0f;
  float m_VAngleIronAdjForPlus = 3.0f;
  float m_speedAdjForMulti = 0.0f;
  float m_speedPuttingAdjForMulti = 0.0f;
  float m_sideSpinAdjForMulti = 0.0f;
  float m_sideSpinAdjForMulti_Slice = 0.0f;
  platform::Relaxed<int32_t> secondImgIndexForSideSpin = 2;
  float m_sideSpinAdjForPlus = 0.0f;
  float m_backSpinAdjForMulti = 0.0f;

  // ---- sensor settings
  // Start-up copies these from the main camera into the running side camera.
  platform::Relaxed<int32_t> autoGain = 0;      // 1 = automatic gain
  platform::Relaxed<int32_t> isRightHand = -1;  // -1 both, 1 right-handed, 0 left-handed
  platform::Relaxed<int32_t> driverReady = 0;   // ready speed of the ball watch

 private:
  // One scan position of the finder: the core box and neighbours, then the edge refinement.
  bool ScanForBlob(const CRectT& search, int32_t exclusionType, const uint8_t* image,
                   CRectT& blob) const;
  bool PassesBlobTests(int32_t x, int32_t y, const uint8_t* image, CRectT& blob) const;
  void RefineBlobEdges(const uint8_t* image, CRectT& blob) const;
  void SetBallCheckArea(const CRectT& blob);
  void ClearWatchResults();
};

// The choices of the installation the side camera takes over from the main camera: start-up
// makes them one, so the two cameras never decide a shot by different rules.
void ShareInstallationChoices(const CMainCamera& main, CMainCamera& side);

// The side camera differs only in how it opens (its model name, settings file and reference image).
class CSideCamera : public CMainCamera {
 public:
  CSideCamera() = default;
  ~CSideCamera() override = default;
  bool Open(const char* workingDirectory, int32_t sensorType);
};
