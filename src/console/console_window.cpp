#include "console/console_window.h"

#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "console/adjustment_fields.h"
#include "console/app_icon.h"
#include "console/camera_view.h"
#include "console/control_ids.h"
#include "console/data_cleanup.h"
#include "console/status_texts.h"
#include "platform/debug_output.h"
#include "platform/power_settings.h"
#include "platform/process_list.h"
#include "platform/thread_control.h"

namespace {

using console::CameraControls;

constexpr const char* kVersionText = "2.0.0.70";
constexpr const char* kCaption = "VarnokGolfV";
constexpr const char* kClientProcessFile = "process.txt";
constexpr const char* kPutterFlagFile = "putter.txt";
constexpr const char* kCameraMissing[2] = {"Check camera(1) line/usb(-1)",
                                           "Check camera(2) line/usb(-1)"};
constexpr int kStatusPeriodMs = 250;
constexpr int kAutoBrightnessPeriodMs = 5000;
constexpr int kReconnectPeriodMs = 3000;
constexpr int kGainRangeMax = 1000;
constexpr auto kLightCheckPause = std::chrono::milliseconds(100);

// The processor the console's worker threads share: the first of the sensor's three.
int WorkerProcessor() {
  return ((platform::ProcessorCount() - 3) % 32 + 32) % 32;
}

QString Number(int32_t value) {
  return QString::asprintf("%d", value);
}

}  // namespace

CTestKestrixDlg::CTestKestrixDlg(const std::string& workingDirectory)
    : core_(workingDirectory),
      workingDirectory_(workingDirectory),
      keeper_(clientName_),
      passwordLock_(this, workingDirectory) {
  setWindowIcon(console::AppIcon());
  // The paint covers the whole client area, so nothing is erased first and nothing flickers.
  setAttribute(Qt::WA_OpaquePaintEvent);
  console::BuildControls(this, controls_);
  statusTimer_.setObjectName("timer1000");
  lightCheckTimers_[0].setObjectName("timer1001");
  lightCheckTimers_[1].setObjectName("timer1004");
  autoBrightnessTimer_.setObjectName("timer1008");
  reconnectTimer_.setObjectName("timer1011");
  for (QTimer* timer : {&statusTimer_, &lightCheckTimers_[0], &lightCheckTimers_[1],
                        &autoBrightnessTimer_, &reconnectTimer_, &clientLinkTimer_}) {
    timer->setParent(this);
  }
  for (QTimer& timer : lightCheckTimers_) timer.setSingleShot(true);
  connect(&statusTimer_, &QTimer::timeout, this, &CTestKestrixDlg::StatusTick);
  connect(&lightCheckTimers_[0], &QTimer::timeout, this, [this] { LightCheckTick(0); });
  connect(&lightCheckTimers_[1], &QTimer::timeout, this, [this] { LightCheckTick(1); });
  connect(&autoBrightnessTimer_, &QTimer::timeout, this, &CTestKestrixDlg::AutoBrightnessTick);
  connect(&reconnectTimer_, &QTimer::timeout, this, &CTestKestrixDlg::ReconnectTick);
  connect(&clientLinkTimer_, &QTimer::timeout, this, [this] {
    if (core_.RetryClientLink()) clientLinkTimer_.stop();
  });
  for (int index = 0; index < 2; ++index) {
    ConnectEditing(index);
    ConnectCommands(index);
  }
  ConnectWindowCommands();
  core_.SetRecordObserver(&CTestKestrixDlg::OnRecord, this);
  // Client codes heard by the listener run here, on the user-interface thread.
  core_.SetControlWake(&CTestKestrixDlg::OnControlWork, this);
}

CTestKestrixDlg::~CTestKestrixDlg() {
  Shutdown();
  core_.SetControlWake(nullptr, nullptr);
  core_.SetRecordObserver(nullptr, nullptr);
  keeper_.Join();
  if (cleanup_.joinable()) cleanup_.join();
}

CMainCamera& CTestKestrixDlg::Camera(int index) {
  return index == 0 ? static_cast<CMainCamera&>(core_.mainCamera())
                    : static_cast<CMainCamera&>(core_.sideCamera());
}

void CTestKestrixDlg::Initialise() {
  platform::KeepProcessorsAwake();
  controls_.version->setText(kVersionText);
  QFont messageFont(QStringLiteral("Arial"));
  messageFont.setPixelSize(13);
  messageFont.setWeight(QFont::DemiBold);
  for (CameraControls& camera : controls_.cameras) camera.message->setFont(messageFont);
  ApplySensorAffinity();
  ReadClientProcessName();
  console::ApplyClientAffinity(clientName_.Get());
  StartWorkerThreads();

  for (CameraControls& camera : controls_.cameras) {
    camera.simulate->hide();
    camera.simulateText->hide();
  }
  setWindowTitle(kCaption);

  move(0, 0);
  resize(width(), console::kWindowHeight);
  viewOrigins_[0] = QPoint(46, 20);
  viewOrigins_[1] = console::SideViewOrigin(controls_);

  // Both cameras open through the core: the main camera first, then the side camera, wired to
  // each other; the putter flag and the client link are taken up there too.
  core_.Start();
  const bool opened[2] = {core_.MainOpen(), core_.SideOpen()};
  CMainCamera& main = Camera(0);
  if (main.autoGain == 1) {
    autoBrightnessTimer_.start(kAutoBrightnessPeriodMs);
    controls_.cameras[0].checkLight->setEnabled(false);
  } else {
    controls_.cameras[0].autoBrightnessLabel->hide();
    controls_.cameras[0].autoBrightness->hide();
  }
  SelectComboFromSettings();
  if (Camera(1).autoGain == 1) {
    controls_.cameras[1].checkLight->setEnabled(false);
  } else {
    controls_.cameras[1].autoBrightnessLabel->hide();
    controls_.cameras[1].autoBrightness->hide();
  }
  for (int index = 0; index < 2; ++index) {
    if (opened[index]) continue;
    controls_.cameras[index].message->setText(kCameraMissing[index]);
    reconnectTimer_.start(kReconnectPeriodMs);
  }
  if (!core_.ListeningToClient()) clientLinkTimer_.start(kReconnectPeriodMs);

  controls_.club->setCurrentIndex(0);
  SetUpCameraConsole(0);
  for (const console::AdjustmentField& field : console::kAdjustmentFields) {
    controls_.adjustments.at(field.id)->setText(
        QString::asprintf(field.format, static_cast<double>(main.*field.member)));
  }
  SetUpCameraConsole(1);

  statusTimer_.start(kStatusPeriodMs);
  setWindowState(windowState() | Qt::WindowMinimized);

  std::error_code noFlag;
  if (std::filesystem::exists(std::filesystem::path(workingDirectory_) / kPutterFlagFile, noFlag)) {
    controls_.club->setCurrentIndex(CLUB_PUTTER);
  }
}

void CTestKestrixDlg::SelectComboFromSettings() {
  const CMainCamera& main = Camera(0);
  switch (main.isRightHand) {
    case -1:
      controls_.scanType->setCurrentIndex(0);
      break;
    case 0:
      controls_.scanType->setCurrentIndex(2);
      break;
    case 1:
      controls_.scanType->setCurrentIndex(1);
      break;
    default:
      break;
  }
  if (main.driverReady == 0) controls_.driverReady->setCurrentIndex(0);
  if (main.driverReady == 1) controls_.driverReady->setCurrentIndex(1);
}

void CTestKestrixDlg::SetUpCameraConsole(int index) {
  CameraControls& c = controls_.cameras[index];
  const CMainCamera& camera = Camera(index);
  c.brightness->setText(Number(camera.gain));
  {
    // Start-up places the up-down without writing the edit again.
    const QSignalBlocker quiet(c.brightnessSpin);
    c.brightnessSpin->setRange(1, kGainRangeMax);
    c.brightnessSpin->setValue(camera.gain);
  }
  c.ballDirection->setChecked(false);
  c.lightCheck->setChecked(false);
  c.clubArea->setChecked(false);
  c.gameMode->setChecked(true);
  console::PlaceViewButtons(c, viewOrigins_[index], console::kViewSize, console::kViewSize);
  // Game mode: none of the editing controls around the view.
  ShowModeControls(index);
}

const ViewSnapshot* CTestKestrixDlg::ViewOf(int index) const {
  const CMainCamera& camera = index == 0 ? core_.mainCamera() : core_.sideCamera();
  return camera.m_view.Latest();
}

void CTestKestrixDlg::ApplySensorAffinity() {
  const uint32_t mask = console::SensorAffinityMask(platform::ProcessorCount());
  if (!platform::SetProcessAffinityMask(platform::CurrentProcessId(), mask)) {
    platform::OutputDebugStringA("-> SetProcessAffinityMask - error <-\n");
  }
}

void CTestKestrixDlg::ReadClientProcessName() {
  QFile file(QString::fromStdString(
      (std::filesystem::path(workingDirectory_) / kClientProcessFile).string()));
  if (!file.open(QIODevice::ReadOnly)) return;
  const QByteArray bytes = file.read(console::ClientProcessName::kBufferSize);
  clientName_.Set(console::ClientProcessName::FromFileBytes(bytes.toStdString()));
}

void CTestKestrixDlg::StartWorkerThreads() {
  const std::string folder = workingDirectory_;
  cleanup_ = std::thread([folder] { console::CleanDataFolder(folder, std::time(nullptr)); });
  keeper_.Start();
  for (std::thread* worker : {&cleanup_, &keeper_.thread()}) {
    if (!platform::SetSingleProcessorAffinity(*worker, WorkerProcessor())) {
      platform::OutputDebugStringA("-> SetThreadAffinityMask CTestKestrixDlgT - error <-\n");
    }
  }
}

void CTestKestrixDlg::StatusTick() {
  for (int index = 0; index < 2; ++index) {
    const CMainCamera& camera = Camera(index);
    CameraControls& c = controls_.cameras[index];
    update(QRect(viewOrigins_[index], QSize(camera.FrameWidth(), camera.FrameHeight())));
    c.fps->setText(QString::asprintf("%d (%.2f)",
                                     static_cast<int>(camera.m_capture.m_framesLastSecond),
                                     static_cast<double>(camera.m_capture.m_fpsForFrame2Frame)));
    c.ballStatus->setText(console::BallStateName(camera.m_watch.m_ballState));
    if (index == 0) {
      const char* path = console::ClubPathName(camera.m_clubPathClass);
      if (path[0] != '\0') controls_.clubPath->setText(path);
    }
    c.status->setText(Number(camera.m_capture.m_statusCode));
  }
}

void CTestKestrixDlg::StartLightCheck(int index) {
  CameraControls& c = controls_.cameras[index];
  c.message->clear();
  if (c.viewFront->isChecked()) return;
  lightCheckTimers_[index].stop();
  std::this_thread::sleep_for(kLightCheckPause);
  CMainCamera& camera = Camera(index);
  ramps_[index].Start(camera);
  c.brightness->setText(Number(camera.gain));
  lightCheckTimers_[index].start(LightCheckRamp::kStepMs);
  c.message->setText(LightCheckRamp::Message(RampOutcome::kStepping));
}

void CTestKestrixDlg::LightCheckTick(int index) {
  lightCheckTimers_[index].stop();
  CMainCamera& camera = Camera(index);
  CameraControls& c = controls_.cameras[index];
  const RampOutcome outcome = ramps_[index].Step(camera);
  if (outcome != RampOutcome::kCannotChange) c.brightness->setText(Number(camera.gain));
  if (outcome == RampOutcome::kStepping) lightCheckTimers_[index].start(LightCheckRamp::kStepMs);
  c.message->setText(LightCheckRamp::Message(outcome));
}

void CTestKestrixDlg::AutoBrightnessTick() {
  for (int index = 0; index < 2; ++index) {
    controls_.cameras[index].autoBrightness->setText(Number(Camera(index).ReadReportedGain()));
  }
}

void CTestKestrixDlg::ReconnectTick() {
  switch (core_.ReconnectTick()) {
    case SensorCore::Reconnect::kTooFewConnected:
      return;
    case SensorCore::Reconnect::kBothOpen:
      for (CameraControls& c : controls_.cameras) c.message->clear();
      reconnectTimer_.stop();
      return;
    case SensorCore::Reconnect::kStillMissing:
      for (int index = 0; index < 2; ++index) {
        controls_.cameras[index].message->setText(kCameraMissing[index]);
      }
      return;
  }
}

void CTestKestrixDlg::RunControlCommands() {
  core_.RunControlCommands();
  if (core_.CloseRequested()) done(QDialog::Accepted);
}

void CTestKestrixDlg::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (checkCamera_ != nullptr) checkCamera_->reject();
  keeper_.Stop();
  for (QTimer* timer : {&statusTimer_, &lightCheckTimers_[0], &lightCheckTimers_[1],
                        &autoBrightnessTimer_, &reconnectTimer_, &clientLinkTimer_}) {
    timer->stop();
  }
  // Stops the main camera, then the side camera, waiting for each capture thread, and deletes
  // "putter.txt".
  core_.Shutdown();
}

// Every command that ends the dialog (the close box and Esc cancel, Enter's default command,
// the client's close, a signal) ends it through here.
void CTestKestrixDlg::done(int) {
  // A prompt that is up must not hold the closing window for its twenty seconds.
  passwordLocked_ = false;
  passwordLock_.Dismiss();
  Shutdown();
  QDialog::done(QDialog::Accepted);
}

// The close box, also for a window that is not shown (minimised, or never shown).
void CTestKestrixDlg::closeEvent(QCloseEvent* event) {
  done(QDialog::Accepted);
  event->accept();
}

void CTestKestrixDlg::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

// On a capture thread: the record waits in a mailbox and the window is told.
void CTestKestrixDlg::OnRecord(int32_t sensorType, const ShotResultRecord& record, void* context) {
  // The side camera's records are told on the debug output only (by the core).
  if (sensorType != SENSOR_MAIN) return;
  auto* window = static_cast<CTestKestrixDlg*>(context);
  (record.m_HAngle != kNotMeasured ? window->shot_ : window->clubNotice_).Put(record);
  QMetaObject::invokeMethod(window, "ShowRecords", Qt::QueuedConnection);
}

// On the listener's or a signal's thread.
void CTestKestrixDlg::OnControlWork(void* context) {
  QMetaObject::invokeMethod(static_cast<CTestKestrixDlg*>(context), "RunControlCommands",
                            Qt::QueuedConnection);
}

void CTestKestrixDlg::ShowRecords() {
  ShotResultRecord record;
  if (shot_.Take(record)) {
    const auto show = [](QLabel* field, float value) {
      field->setText(QString::asprintf("%.2f", static_cast<double>(value)));
    };
    show(controls_.speed, record.m_speed);
    show(controls_.hAngle, record.m_HAngle);
    show(controls_.vAngle, record.m_VAngle);
    show(controls_.sideSpin, record.m_sideSpin);
    show(controls_.backSpin, record.m_backSpin);
  }
  // A club notice is shown in the combo without running the combo's change handler.
  if (clubNotice_.Take(record)) {
    const int club = static_cast<int>(record.m_VAngle);
    if (club >= 0 && club < controls_.club->count()) controls_.club->setCurrentIndex(club);
  }
}

void CTestKestrixDlg::paintEvent(QPaintEvent*) {
  QPainter window(this);
  if (isMinimized()) {
    const QIcon icon = windowIcon();
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    icon.paint(&window, QRect((width() - size) / 2, (height() - size) / 2, size, size));
    return;
  }
  // Qt paints a window into its back buffer and shows it whole, so nothing flickers; the paint
  // covers the whole client area, so no background is erased before it.
  window.fillRect(rect(), palette().color(QPalette::Button));
  for (int index = 0; index < 2; ++index) {
    CMainCamera& camera = Camera(index);
    const ViewSnapshot* view = camera.m_view.Latest();
    if (view == nullptr) continue;
    const CameraControls& c = controls_.cameras[index];
    const console::ViewModes modes{c.gameMode->isChecked(), c.lightCheck->isChecked(),
                                   c.ballDirection->isChecked()};
    console::PaintCameraView(window, *view, viewOrigins_[index], modes,
                             {camera.m_whiteNum.m_ballSizeX, camera.m_whiteNum.m_ballSizeY});
  }
  for (int index = 0; index < 2; ++index) Camera(index).m_view.Next();
}

void CTestKestrixDlg::LockWithPassword() {
  passwordLocked_ = true;
  QMetaObject::invokeMethod(&passwordLock_, &console::PasswordLock::AskNow, Qt::QueuedConnection);
}

// Every activation and every minimise or restore goes past the password lock.
void CTestKestrixDlg::changeEvent(QEvent* event) {
  QDialog::changeEvent(event);
  if (!passwordLocked_) return;
  if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange) {
    passwordLock_.OnWindowChange();
  }
}
