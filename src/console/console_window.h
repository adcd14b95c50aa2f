// The sensor's main window ("VarnokGolfV"): the operator console over the sensor core. It shows
// both cameras and their read-outs, and is the sensor's control thread: client codes, timers
// and the operator's commands all run on its user-interface thread, one after another.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QTimer>
#include <optional>
#include <string>
#include <thread>

#include "camera/camera_modes.h"
#include "camera/light_check_ramp.h"
#include "camera/operator_edits.h"
#include "clientlink/shot_result_record.h"
#include "console/client_affinity.h"
#include "console/password_lock.h"
#include "console/record_mailbox.h"
#include "console/window_layout.h"
#include "sensor/sensor_core.h"

class CTestKestrixDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CTestKestrixDlg(const std::string& workingDirectory);
  ~CTestKestrixDlg() override;

  // The start-up: power, affinity, worker threads, layout, both cameras, the first contents of
  // every control, the timers; ends minimised.
  void Initialise();
  // From now on the window stays minimised until the password is confirmed; the first prompt
  // comes as soon as events run (kestrix-sensor: once the window's exec() has shown it).
  void LockWithPassword();
  // Ends the window by the path every close takes: stops both cameras before anything goes.
  void done(int result) override;
  bool ShutDown() const { return shutDown_; }

  SensorCore& core() { return core_; }
  QPoint ViewOrigin(int camera) const { return viewOrigins_[camera]; }
  // The timers' work (1000, 1001 / 1004, 1008, 1011), also run by tests without waiting.
  void StatusTick();
  void LightCheckTick(int index);
  void AutoBrightnessTick();
  void ReconnectTick();
  // The chosen golf client program ("process"): its name is kept in "process.txt".
  void ChooseClientProgram(const QString& path);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  CMainCamera& Camera(int index);
  // The installer's editing of a camera (console_editing.cpp).
  struct CameraEditing {
    bool pointEditing = false;
    bool dragging = false;
    QPoint dragStart;
    QSize dragSize;
  };
  void ConnectEditing(int index);
  void SelectMode(int index, CameraMode mode);
  void ShowModeControls(int index);
  void ChangeClub(int32_t clubType);
  std::optional<QPoint> CameraPixel(int index, QPoint client) const;
  void ResizeDraggedArea(int index);
  void MoveCaptureWindow(int index, IntPoint step);
  void Reset(int index);
  void SaveBallDirection(int index);
  // The installer's commands (console_commands.cpp).
  void ConnectCommands(int index);
  void ConnectWindowCommands();
  void ApplyBrightness(int index);
  void ViewFront(int index);
  void ViewPopup(int index);
  void ApplyAdjustments();

  // What the view of a camera shows now; null before its first picture.
  const ViewSnapshot* ViewOf(int index) const;
  void SetUpCameraConsole(int index);
  void StartWorkerThreads();
  void ApplySensorAffinity();
  void ReadClientProcessName();
  void SelectComboFromSettings();

  void StartLightCheck(int index);
  // Queued by name from the listener's and the capture threads, so the call is made by Qt.
  Q_INVOKABLE void RunControlCommands();
  Q_INVOKABLE void ShowRecords();
  void Shutdown();

  static void OnRecord(int32_t sensorType, const ShotResultRecord& record, void* context);
  static void OnControlWork(void* context);

  console::ConsoleControls controls_;
  SensorCore core_;
  std::string workingDirectory_;
  console::ClientProcessName clientName_;
  console::AffinityKeeper keeper_;
  std::thread cleanup_;
  LightCheckRamp ramps_[2];
  CameraEditing editing_[2];
  QPoint viewOrigins_[2];
  QTimer statusTimer_;
  QTimer lightCheckTimers_[2];
  QTimer autoBrightnessTimer_;
  QTimer reconnectTimer_;
  QTimer clientLinkTimer_;
  // The main camera's newest shot and club notice, on their way from the capture threads.
  console::RecordMailbox shot_;
  console::RecordMailbox clubNotice_;
  bool shutDown_ = false;
  // The check-camera window while it is open: a shutdown closes it first, so the camera it
  // took is handed back before the main window stops that camera.
  QPointer<QDialog> checkCamera_;
  bool passwordLocked_ = false;
  console::PasswordLock passwordLock_;
};
