// The console's password prompt. The password lives in the clear in "pass.txt" in the working
// directory (its characters only, readable by its owner alone); with no such file, the first
// password confirmed becomes the password.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <string>

class CPassDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kGiveUpMs = 20000;     // timer 1000: closes the prompt as Cancel
  static constexpr int kForegroundMs = 1000;  // timer 1001: keeps the prompt in front
  static constexpr size_t kMaxPasswordBytes = 1024;

  explicit CPassDlg(const std::string& workingDirectory, QWidget* parent = nullptr);

  // After the prompt closed: true only when "Confirm" matched (or set) the password.
  bool Unlocked() const { return unlocked_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Confirm();
  void BringForward();

  std::string path_;
  QLineEdit* edit_ = nullptr;
  QTimer giveUp_;
  QTimer foreground_;
  bool unlocked_ = false;
};
