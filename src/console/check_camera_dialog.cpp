#include "console/check_camera_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStyle>

#include "VarnokV2.h"
#include "camera/camera_modes.h"
#include "camera/operator_edits.h"
#include "console/camera_view.h"
#include "console/control_ids.h"
#include "console/point_editing.h"
#include "platform/sleep.h"
#include "platform/text_numbers.h"

namespace {

constexpr int kLabelId = 1108;
constexpr int kGainEditId = 1109;
constexpr int kGainSpinId = 1110;
constexpr int kApplyId = 1111;
// Longest wait for a read already under way when the camera is taken. It is cut short by the
// frame that read delivers, so only a thread that delivers nothing waits this long.
constexpr int kReadUnderWayMs = 1000;

QString Number(int32_t value) {
  return QString::asprintf("%d", value);
}

// The pause stops a capture thread only at the top of its next pass. A read under way would
// fail when its camera closes, and a failed read restarts the whole sensor; the pass ends with a
// counted frame, so wait for that count to move (it does not when the thread is between passes).
void WaitForReadUnderWay(const CaptureState& capture) {
  if (!capture.m_capture) return;
  const int32_t counted = capture.m_frameCount;
  for (int waited = 0; waited < kReadUnderWayMs && capture.m_frameCount == counted; ++waited) {
    platform::SleepMs(1);
  }
}

}  // namespace

CCheckCameraDlg::CCheckCameraDlg(CMainCamera& mainWindowCamera, bool mainCamera,
                                 const std::string& workingDirectory, QWidget* parent)
    : QDialog(parent), taken_(mainWindowCamera) {
  setWindowTitle(QStringLiteral("Check Camera View"));
  if (parent != nullptr) setWindowIcon(parent->windowIcon());
  // The paint covers the whole client area.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(kWidth, kHeight);

  auto* label = new QLabel(QStringLiteral("Brightness :"), this);
  label->setObjectName(console::IdName(kLabelId));
  label->setGeometry(10, 514, 80, 16);
  gainEdit_ = new QLineEdit(this);
  gainEdit_->setObjectName(console::IdName(kGainEditId));
  gainEdit_->setGeometry(90, 510, 88, 20);
  gainEdit_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), gainEdit_));
  gainSpin_ = new QSpinBox(this);
  gainSpin_->setObjectName(console::IdName(kGainSpinId));
  gainSpin_->setGeometry(180, 510, 18, 20);
  gainSpin_->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  gainSpin_->setRange(kGainMin, kGainMax);
  auto* apply = new QPushButton(QStringLiteral("apply"), this);
  apply->setObjectName(console::IdName(kApplyId));
  apply->setGeometry(230, 510, 60, 20);
  // Enter is no command here: there is no OK, only the close.
  apply->setAutoDefault(false);

  // The up-down only writes the edit; "apply" takes it.
  connect(gainSpin_, &QSpinBox::valueChanged, this,
          [this](int value) { gainEdit_->setText(Number(value)); });
  connect(apply, &QPushButton::clicked, this, &CCheckCameraDlg::ApplyGain);

  TakeCamera();
  OpenOwnCamera(mainCamera, workingDirectory);

  gainEdit_->setText(Number(own_->gain));
  {
    const QSignalBlocker quiet(gainSpin_);
    gainSpin_->setValue(own_->gain);
  }

  repaint_.setObjectName(QStringLiteral("timer1000"));
  repaint_.setParent(this);
  connect(&repaint_, &QTimer::timeout, this,
          [this] { update(QRect(0, 0, own_->FrameWidth(), own_->FrameHeight())); });
  repaint_.start(kRepaintMs);
}

CCheckCameraDlg::~CCheckCameraDlg() {
  HandBack();
}

void CCheckCameraDlg::TakeCamera() {
  CaptureState& capture = taken_.m_capture;
  // The main window's view keeps the last picture: the paused thread publishes nothing.
  capture.m_pause = 1;
  WaitForReadUnderWay(capture);
  VarnokCloseCamera(capture.m_cameraIndex);
}

void CCheckCameraDlg::OpenOwnCamera(bool mainCamera, const std::string& workingDirectory) {
  // Open is not virtual: each kind opens through its own type.
  if (mainCamera) {
    auto camera = std::make_unique<CMainCamera>();
    opened_ = camera->Open(workingDirectory.c_str(), SENSOR_CHECK_VIEW);
    own_ = std::move(camera);
  } else {
    auto camera = std::make_unique<CSideCamera>();
    opened_ = camera->Open(workingDirectory.c_str(), SENSOR_CHECK_VIEW);
    own_ = std::move(camera);
  }
  RequestCameraMode(*own_, CameraMode::LightCheck);
  // The check view's home sits higher than the game view's; the watch takes the window there.
  own_->m_windowMoved = true;
}

void CCheckCameraDlg::ApplyGain() {
  const int32_t gain = platform::TextToInt(gainEdit_->text().toStdString().c_str());
  own_->ApplyGain(gain);
  own_->WriteGainOnly();
  const QSignalBlocker quiet(gainSpin_);
  gainSpin_->setValue(gain);
}

void CCheckCameraDlg::HandBack() {
  if (handedBack_) return;
  handedBack_ = true;
  repaint_.stop();
  // Ends the own capture thread, which closes the camera, and saves the whole settings file.
  own_->Stop();
  taken_.ReOpen();
  const int32_t gain = own_->gain;
  taken_.ApplyGain(gain);
  emit gainHandedBack(gain);
}

void CCheckCameraDlg::done(int) {
  HandBack();
  QDialog::done(QDialog::Rejected);
}

// The close box, also for a dialog that is not shown.
void CCheckCameraDlg::closeEvent(QCloseEvent* event) {
  done(QDialog::Rejected);
  event->accept();
}

void CCheckCameraDlg::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (isMinimized()) {
    const int size = style()->pixelMetric(QStyle::PM_LargeIconSize);
    windowIcon().paint(&painter, QRect((width() - size) / 2, (height() - size) / 2, size, size));
    return;
  }
  painter.fillRect(rect(), palette().color(QPalette::Button));
  if (const ViewSnapshot* view = own_->m_view.Latest()) {
    console::PaintCameraView(painter, *view, QPoint(0, 0), console::ViewModes{false, true, false},
                             {own_->m_whiteNum.m_ballSizeX, own_->m_whiteNum.m_ballSizeY});
  }
  own_->m_view.Next();
}

void CCheckCameraDlg::mousePressEvent(QMouseEvent* event) {
  if (handedBack_) return;
  const QPoint at = event->position().toPoint();
  if (at.x() < 0 || at.x() > own_->FrameWidth() || at.y() < 0 || at.y() > own_->FrameHeight()) {
    return;
  }
  const ViewSnapshot* view = own_->m_view.Latest();
  const ViewSnapshot none;
  OperatorEdits edits = CurrentEdits(*own_);
  console::ClickPoint(edits, at.x(), at.y(), false, view != nullptr ? *view : none,
                      own_->m_whiteNum.m_ballLevel);
  RequestEdits(*own_, edits);
}
