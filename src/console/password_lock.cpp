#include "console/password_lock.h"

#include <QMetaObject>
#include <QPointer>

#include "console/password_dialog.h"

namespace console {

namespace {

// User-interface thread only. Cleared by Qt if the prompt goes with its parent.
QPointer<CPassDlg>& Current() {
  static QPointer<CPassDlg> dialog;
  return dialog;
}

}  // namespace

PasswordLock::PasswordLock(QWidget* window, const std::string& workingDirectory)
    : window_(window), workingDirectory_(workingDirectory) {}

PasswordLock::~PasswordLock() {
  Dismiss();
}

CPassDlg* PasswordLock::CurrentDialog() {
  return Current().data();
}

void PasswordLock::Minimise() {
  window_->setWindowState(window_->windowState() | Qt::WindowMinimized);
}

// Restored while the prompt is up: the window goes back down and the prompt comes to the front.
bool PasswordLock::KeepDownForPrompt() {
  CPassDlg* dialog = CurrentDialog();
  if (dialog == nullptr) return false;
  Minimise();
  asked_ = true;
  dialog->raise();
  dialog->activateWindow();
  return true;
}

void PasswordLock::OnWindowChange() {
  if (dismissed_) return;
  if (window_->isMinimized()) {
    asked_ = false;
    return;
  }
  if (KeepDownForPrompt()) return;
  if (!asked_) {
    QMetaObject::invokeMethod(this, &PasswordLock::AskNow, Qt::QueuedConnection);
    asked_ = true;
  }
}

void PasswordLock::AskNow() {
  if (dismissed_ || KeepDownForPrompt()) return;
  Minimise();
  asked_ = true;
  QPointer<PasswordLock> self(this);
  QPointer<CPassDlg> dialog(new CPassDlg(workingDirectory_, window_));
  Current() = dialog;
  dialog->exec();
  // The window (and this lock with it) may have gone while the prompt was up.
  if (self.isNull() || dialog.isNull()) return;
  Current() = nullptr;
  const bool unlocked = dialog->Unlocked();
  delete dialog.data();
  // The prompt's own comings and goings moved the flag; it ends as the outcome decides: set
  // while the window comes back up, so the restore asks nothing; clear while it stays down, so
  // the next restore asks again.
  asked_ = unlocked;
  if (!unlocked) return;
  window_->setWindowState(window_->windowState() & ~Qt::WindowMinimized);
  if (window_->isVisible()) {
    window_->raise();
    window_->activateWindow();
  }
}

void PasswordLock::Dismiss() {
  dismissed_ = true;
  if (CPassDlg* dialog = CurrentDialog(); dialog != nullptr && dialog->parent() == window_) {
    dialog->reject();
  }
}

}  // namespace console
