// "Check Camera View": takes one camera from the main window and opens it again with the larger
// check-view capture window, shown 1:1 with the ten light-check points and their brightness, so
// the installer can judge the lighting and set the gain. Closing hands the camera back to the
// main window with the gain chosen.
#pragma once

#include <QDialog>
#include <QTimer>
#include <memory>
#include <string>

#include "camera/main_camera.h"

class QLineEdit;
class QSpinBox;

class CCheckCameraDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kWidth = 480;
  static constexpr int kHeight = 600;
  static constexpr int kRepaintMs = 250;  // timer 1000
  static constexpr int kGainMin = 1;      // the up-down's range
  static constexpr int kGainMax = 1000;

  // Takes mainWindowCamera at once (paused, its camera closed) and opens a camera object of the
  // same kind (the side camera's when mainCamera is false) in light-check mode.
  CCheckCameraDlg(CMainCamera& mainWindowCamera, bool mainCamera,
                  const std::string& workingDirectory, QWidget* parent = nullptr);
  // A dialog that was never closed hands the camera back here.
  ~CCheckCameraDlg() override;

  // Every way of closing (Esc, the close box, reject) hands the camera back, once.
  void done(int result) override;

  // The dialog's own camera; its capture thread runs until the dialog closes.
  const CMainCamera& camera() const { return *own_; }
  bool Opened() const { return opened_; }

 signals:
  // The gain the main window's camera was given on closing, for its "Brightness :" controls.
  void gainHandedBack(int gain);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void TakeCamera();
  void OpenOwnCamera(bool mainCamera, const std::string& workingDirectory);
  void ApplyGain();
  void HandBack();

  CMainCamera& taken_;
  std::unique_ptr<CMainCamera> own_;
  bool opened_ = false;
  bool handedBack_ = false;
  QLineEdit* gainEdit_ = nullptr;
  QSpinBox* gainSpin_ = nullptr;
  QTimer repaint_;
};
