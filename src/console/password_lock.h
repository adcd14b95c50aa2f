// Keeps the main window minimised until the password is confirmed: at start, and again on
// every restore from minimised. The window forwards its activation and window-state changes;
// the prompt itself is asked for by a queued call, so it never runs inside the window's own
// change handling.
#pragma once

#include <QObject>
#include <QWidget>
#include <string>

class CPassDlg;

namespace console {

class PasswordLock : public QObject {
  Q_OBJECT

 public:
  PasswordLock(QWidget* window, const std::string& workingDirectory);
  ~PasswordLock() override;

  // From the window's changeEvent, for QEvent::ActivationChange and QEvent::WindowStateChange.
  void OnWindowChange();
  // Minimises the window and asks now, in a nested event loop; restores the window when the
  // password is confirmed. With a prompt already up it only brings that prompt forward.
  void AskNow();
  // The window is closing: closes an open prompt as Cancel, and no prompt comes after.
  void Dismiss();

  // The prompt that is up, process-wide; null when none is.
  static CPassDlg* CurrentDialog();

 private:
  void Minimise();
  bool KeepDownForPrompt();

  QWidget* window_;
  std::string workingDirectory_;
  bool asked_ = false;
  // The window is closing: no prompt any more, also none already queued.
  bool dismissed_ = false;
};

}  // namespace console
