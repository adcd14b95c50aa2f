#include "console/password_dialog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <cerrno>
#include <filesystem>
#include <string_view>

#include "platform/debug_output.h"
#include "platform/write_all.h"

namespace {

constexpr const char* kFileName = "pass.txt";
constexpr int kEditId = 1082;
constexpr mode_t kOwnerOnly = 0600;

// The stored password as the prompt compares it: the first bytes of the file, up to the first
// NUL, as a string. Empty when the file is empty or unreadable.
std::string ReadStored(int fd) {
  char bytes[CPassDlg::kMaxPasswordBytes + 1] = {};
  size_t got = 0;
  while (got < CPassDlg::kMaxPasswordBytes) {
    const ssize_t n = ::read(fd, bytes + got, CPassDlg::kMaxPasswordBytes - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<size_t>(n);
  }
  return std::string(bytes);
}

// Opens pass.txt for a new password. A file made here is the owner's alone, read and write,
// whatever the umask (which can only take bits away, so the chmod just puts back what a strict
// one took); one that exists but could not be read keeps its mode.
int CreateStore(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnly);
  if (fd >= 0) {
    (void)::fchmod(fd, kOwnerOnly);
    return fd;
  }
  if (errno != EEXIST) return -1;
  return ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
}

}  // namespace

CPassDlg::CPassDlg(const std::string& workingDirectory, QWidget* parent)
    : QDialog(parent), path_((std::filesystem::path(workingDirectory) / kFileName).string()) {
  setWindowTitle(QString());
  setModal(true);

  auto* label = new QLabel(QStringLiteral("Input Password : "), this);
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QString::number(kEditId));
  edit_->setEchoMode(QLineEdit::Password);
  edit_->setMinimumWidth(160);
  auto* confirm = new QPushButton(QStringLiteral("Confirm"), this);
  confirm->setDefault(true);
  auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);

  auto* grid = new QGridLayout(this);
  grid->addWidget(label, 0, 0);
  grid->addWidget(edit_, 0, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(confirm);
  buttons->addWidget(cancel);
  grid->addLayout(buttons, 1, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);

  connect(confirm, &QPushButton::clicked, this, &CPassDlg::Confirm);
  connect(cancel, &QPushButton::clicked, this, &CPassDlg::reject);

  giveUp_.setObjectName(QStringLiteral("timer1000"));
  giveUp_.setParent(this);
  giveUp_.setSingleShot(true);
  giveUp_.setInterval(kGiveUpMs);
  connect(&giveUp_, &QTimer::timeout, this, &CPassDlg::reject);
  foreground_.setObjectName(QStringLiteral("timer1001"));
  foreground_.setParent(this);
  foreground_.setInterval(kForegroundMs);
  connect(&foreground_, &QTimer::timeout, this, &CPassDlg::BringForward);
}

// The timers run while the prompt is up, from the moment it shows.
void CPassDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  giveUp_.start();
  foreground_.start();
  edit_->setFocus();
}

void CPassDlg::hideEvent(QHideEvent* event) {
  giveUp_.stop();
  foreground_.stop();
  QDialog::hideEvent(event);
}

void CPassDlg::BringForward() {
  raise();
  activateWindow();
  edit_->setFocus();
}

void CPassDlg::Confirm() {
  const QByteArray typed = edit_->text().toUtf8();
  if (typed.isEmpty()) return;
  const int stored = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (stored >= 0) {
    unlocked_ = ReadStored(stored) == typed.constData();
    ::close(stored);
  } else {
    const int fd = CreateStore(path_);
    if (fd >= 0) {
      // A cut write still unlocks this once; deleting pass.txt starts over with a new password.
      if (!platform::WriteAll(fd, std::string_view(typed.constData(), typed.size()))) {
        platform::DebugPrintf("-> pass.txt write - error %d <-\n", errno);
      }
      ::close(fd);
      unlocked_ = true;
    }
  }
  accept();
}
