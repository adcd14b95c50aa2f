// The installer's everyday commands in the main window: a camera's brightness, the front view,
// handedness and driver readiness, the adjustments both cameras apply to every shot, and the
// golf client program whose process the console keeps on its own processors.
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <chrono>
#include <filesystem>
#include <thread>

#include "camera/operator_edits.h"
#include "console/adjustment_fields.h"
#include "console/angle_speed_dialog.h"
#include "console/check_camera_dialog.h"
#include "console/console_window.h"
#include "platform/text_numbers.h"

namespace {

using console::CameraControls;

constexpr auto kLightCheckPause = std::chrono::milliseconds(100);

int32_t LeadingInt(const QString& text) {
  return platform::TextToInt(text.toStdString().c_str());
}

}  // namespace

void CTestKestrixDlg::ConnectCommands(int index) {
  CameraControls& c = controls_.cameras[index];
  connect(c.checkLight, &QPushButton::clicked, this, [this, index] { StartLightCheck(index); });
  // The up-down only writes the edit; "apply" takes it.
  connect(c.brightnessSpin, &QSpinBox::valueChanged, this,
          [&c](int value) { c.brightness->setText(QString::asprintf("%d", value)); });
  connect(c.apply, &QPushButton::clicked, this, [this, index] { ApplyBrightness(index); });
  connect(c.viewFront, &QCheckBox::clicked, this, [this, index] { ViewFront(index); });
  connect(c.viewPopup, &QPushButton::clicked, this, [this, index] { ViewPopup(index); });
}

void CTestKestrixDlg::ConnectWindowCommands() {
  connect(controls_.club, &QComboBox::activated, this, [this](int club) { ChangeClub(club); });
  connect(controls_.scanType, &QComboBox::activated, this, [this](int item) {
    static constexpr int32_t kHands[] = {-1, 1, 0};  // "Both", "Right", "Left"
    for (int index = 0; index < 2; ++index) Camera(index).isRightHand = kHands[item];
    for (int index = 0; index < 2; ++index) Camera(index).WriteSettings();
  });
  connect(controls_.driverReady, &QComboBox::activated, this, [this](int item) {
    for (int index = 0; index < 2; ++index) Camera(index).driverReady = item;
    for (int index = 0; index < 2; ++index) Camera(index).WriteSettings();
  });
  connect(controls_.applyAdjustments, &QPushButton::clicked, this,
          &CTestKestrixDlg::ApplyAdjustments);
  connect(controls_.vAngleAdj, &QPushButton::clicked, this, [this] {
    CAngleSpeed dialog(workingDirectory_, this);
    dialog.exec();
  });
  connect(controls_.process, &QPushButton::clicked, this, [this] {
    const QString chosen = QFileDialog::getOpenFileName(
        this, "GolfClient File", QString::fromStdString(workingDirectory_),
        "GolfClient (*.exe);;All files (*)", nullptr, QFileDialog::ReadOnly);
    if (!chosen.isEmpty()) ChooseClientProgram(chosen);
  });
}

void CTestKestrixDlg::ApplyBrightness(int index) {
  CameraControls& c = controls_.cameras[index];
  CMainCamera& camera = Camera(index);
  const int32_t gain = LeadingInt(c.brightness->text());
  // Exposure, gamma and flips go back to the defaults; the settings are saved.
  camera.ApplyBrightness(gain);
  const QSignalBlocker quiet(c.brightnessSpin);
  c.brightnessSpin->setValue(gain);
  if (c.clubArea->isChecked() || c.lightCheck->isChecked()) camera.SaveReferenceImage();
}

void CTestKestrixDlg::ViewFront(int index) {
  CameraControls& c = controls_.cameras[index];
  CMainCamera& camera = Camera(index);
  c.message->clear();
  lightCheckTimers_[index].stop();
  std::this_thread::sleep_for(kLightCheckPause);
  const bool on = c.viewFront->isChecked();
  ramps_[index].ViewFront(camera, on);
  c.checkLight->setVisible(!on);
  if (!on) return;
  c.brightness->setText(QString::asprintf("%d", static_cast<int>(camera.gain)));
  c.message->setText(LightCheckRamp::kViewFrontMessage);
}

void CTestKestrixDlg::ViewPopup(int index) {
  CameraControls& c = controls_.cameras[index];
  // A running light-check ramp would keep setting the gain of the taken camera.
  lightCheckTimers_[index].stop();
  CCheckCameraDlg dialog(Camera(index), index == 0, workingDirectory_, this);
  connect(&dialog, &CCheckCameraDlg::gainHandedBack, this, [&c](int gain) {
    c.brightness->setText(QString::asprintf("%d", gain));
    const QSignalBlocker quiet(c.brightnessSpin);
    c.brightnessSpin->setValue(gain);
  });
  checkCamera_ = &dialog;
  dialog.exec();
  checkCamera_ = nullptr;
}

void CTestKestrixDlg::ApplyAdjustments() {
  OperatorEdits adjustments;
  adjustments.setAdjustments = true;
  for (size_t i = 0; i < std::size(console::kAdjustmentFields); ++i) {
    const QString text = controls_.adjustments.at(console::kAdjustmentFields[i].id)->text();
    adjustments.adjustments[i] =
        static_cast<float>(platform::TextToDouble(text.toStdString().c_str()));
  }
  // Main camera first, then the side camera: both always hold the same corrections.
  for (int index = 0; index < 2; ++index) {
    CMainCamera& camera = Camera(index);
    OperatorEdits edits = CurrentEdits(camera);
    edits.setAdjustments = true;
    std::copy(std::begin(adjustments.adjustments), std::end(adjustments.adjustments),
              edits.adjustments);
    RequestEdits(camera, edits);
    camera.WriteSettings();
  }
}

void CTestKestrixDlg::ChooseClientProgram(const QString& path) {
  const std::string name = QFileInfo(path).fileName().toStdString();
  clientName_.Set(name);
  console::ApplyClientAffinity(name);
  QFile file(
      QString::fromStdString((std::filesystem::path(workingDirectory_) / "process.txt").string()));
  // The name alone, without a terminator or line end, as start-up reads it back.
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(name.c_str(), name.size());
}
