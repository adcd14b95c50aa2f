// The password lock on a stand-in main window: the window stays minimised until the prompt
// confirms the password kept in pass.txt.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>

#include "console/password_dialog.h"
#include "console/password_lock.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Answer = std::function<void(CPassDlg&)>;

// Forwards its changes to the lock, as the console's main window does.
class StandInWindow : public QWidget {
 public:
  explicit StandInWindow(const std::string& directory) : lock(this, directory) { resize(240, 120); }
  console::PasswordLock lock;

 protected:
  void changeEvent(QEvent* event) override {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::ActivationChange) {
      lock.OnWindowChange();
    }
  }
};

QLineEdit* PasswordEdit(CPassDlg& dialog) {
  return dialog.findChild<QLineEdit*>("1082");
}

QPushButton* Button(CPassDlg& dialog, const char* text) {
  for (QPushButton* button : dialog.findChildren<QPushButton*>()) {
    if (button->text() == text) return button;
  }
  ADD_FAILURE() << "no button " << text;
  return nullptr;
}

// One key event per character, so any text (Hangul too) goes in as typed.
void Type(CPassDlg& dialog, const QString& text) {
  for (QChar c : text) {
    QTest::sendKeyEvent(QTest::Click, PasswordEdit(dialog), Qt::Key_unknown, QString(c),
                        Qt::NoModifier);
  }
}

Answer TypeAndConfirm(const QString& text) {
  return [text](CPassDlg& dialog) {
    Type(dialog, text);
    QTest::mouseClick(Button(dialog, "Confirm"), Qt::LeftButton);
  };
}

class PasswordLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<StandInWindow>(dir.path().string());
    window->setWindowState(Qt::WindowMinimized);
    window->show();
    // Prompts run modally in their own event loop; this timer answers them from inside it.
    QObject::connect(&watcher_, &QTimer::timeout, [this] { Watch(); });
    watcher_.start(5);
  }
  void TearDown() override {
    watcher_.stop();
    window.reset();
  }

  bool Minimised() const { return window->isMinimized(); }
  std::string Store() const { return dir.File("pass.txt"); }
  void Restore() { window->setWindowState(window->windowState() & ~Qt::WindowMinimized); }
  void Minimise() { window->setWindowState(window->windowState() | Qt::WindowMinimized); }
  static bool WaitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 5000); }
  static void RunEvents(int ms) { QTest::qWait(ms); }

  test_support::TempDir dir;
  std::unique_ptr<StandInWindow> window;
  std::deque<Answer> answers;  // one per prompt, in order
  int prompts = 0;

 private:
  void Watch() {
    auto* dialog = qobject_cast<CPassDlg*>(QApplication::activeModalWidget());
    if (dialog == nullptr || dialog == answered_) return;
    answered_ = dialog;
    ++prompts;
    if (answers.empty()) {
      ADD_FAILURE() << "a prompt nobody asked for";
      dialog->reject();
      return;
    }
    const Answer answer = std::move(answers.front());
    answers.pop_front();
    answer(*dialog);
  }

  QTimer watcher_;
  QPointer<CPassDlg> answered_;
};

// Whatever the umask, the first password is stored as its characters alone, for the owner only.
TEST_F(PasswordLockTest, TheFirstPasswordConfirmedBecomesThePassword) {
  for (const mode_t mask : {0022, 0000, 0277}) {
    SCOPED_TRACE(mask);
    fs::remove(Store());
    answers.push_back([](CPassDlg& dialog) {
      Type(dialog, "open sesame");
      QTest::keyClick(PasswordEdit(dialog), Qt::Key_Return);
    });
    const mode_t previous = ::umask(mask);
    window->lock.AskNow();
    ::umask(previous);
    EXPECT_FALSE(Minimised());
    EXPECT_EQ(test_support::ReadBytes(Store()), "open sesame");
    struct stat info {};
    ASSERT_EQ(::stat(Store().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    Minimise();
  }
  EXPECT_EQ(prompts, 3);
}

// The file's first 1024 bytes against the typed text, byte for byte.
TEST_F(PasswordLockTest, TheStoredPasswordMatchesOnlyExactly) {
  const std::string kilobyte(1024, 'a');
  const struct {
    std::string stored;
    QString typed;
    bool unlocks;
  } cases[] = {
      {"secret", "secret", true},
      {"secret", "Secret", false},
      {"secret", "secre", false},
      {"secret", "secrets", false},
      {"secret\n", "secret", false},
      {"secret\r\n", "secret", false},
      {"", "secret", false},  // an empty file is kept, not taken for a missing one
      {kilobyte + "tail", QString::fromStdString(kilobyte), true},
      {"비밀 번호", QString::fromUtf8("비밀 번호"), true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.stored.substr(0, 16) + " / " + c.typed.left(16).toStdString());
    test_support::WriteBytes(Store(), c.stored);
    ::chmod(Store().c_str(), 0640);
    answers.push_back(TypeAndConfirm(c.typed));
    window->lock.AskNow();
    EXPECT_EQ(Minimised(), !c.unlocks);
    EXPECT_EQ(test_support::ReadBytes(Store()), c.stored);
    struct stat info {};
    ::stat(Store().c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u) << "an existing file keeps its mode";
    Minimise();
  }
}

TEST_F(PasswordLockTest, AWrongPasswordKeepsTheWindowDownUntilItIsRestoredAgain) {
  test_support::WriteBytes(Store(), "secret");
  answers.push_back(TypeAndConfirm("guess"));
  window->lock.AskNow();
  EXPECT_TRUE(Minimised());
  // Activation comings and goings of the minimised window ask nothing.
  window->activateWindow();
  window->lock.OnWindowChange();
  RunEvents(200);
  EXPECT_EQ(prompts, 1);
  EXPECT_TRUE(Minimised());

  answers.push_back(TypeAndConfirm("secret"));
  Restore();
  EXPECT_TRUE(WaitFor([&] { return prompts == 2 && !Minimised(); }));
  RunEvents(200);
  EXPECT_EQ(prompts, 2) << "the unlocked window is not asked again";
}

TEST_F(PasswordLockTest, EveryRestoreFromMinimisedAsksAgain) {
  test_support::WriteBytes(Store(), "secret");
  for (int round = 1; round <= 3; ++round) {
    SCOPED_TRACE(round);
    answers.push_back(TypeAndConfirm("secret"));
    Restore();
    ASSERT_TRUE(WaitFor([&] { return prompts == round && !Minimised(); }));
    window->activateWindow();
    RunEvents(100);
    EXPECT_FALSE(Minimised());
    Minimise();
    RunEvents(50);
    EXPECT_EQ(prompts, round) << "minimising asks nothing";
  }
}

TEST_F(PasswordLockTest, EveryCancelKeepsTheLockAndStoresNothing) {
  const struct {
    const char* name;
    Answer cancel;
  } cancels[] = {
      {"Cancel", [](CPassDlg& d) { QTest::mouseClick(Button(d, "Cancel"), Qt::LeftButton); }},
      {"Esc", [](CPassDlg& d) { QTest::keyClick(PasswordEdit(d), Qt::Key_Escape); }},
      {"close box", [](CPassDlg& d) { d.close(); }},
      {"timer 1000",
       [](CPassDlg& d) {
         auto* giveUp = d.findChild<QTimer*>("timer1000");
         ASSERT_NE(giveUp, nullptr);
         EXPECT_TRUE(giveUp->isActive());
         EXPECT_TRUE(giveUp->isSingleShot());
         EXPECT_EQ(giveUp->interval(), 20000);
         giveUp->start(1);  // rather than wait the twenty seconds
       }},
  };
  for (const auto& cancel : cancels) {
    SCOPED_TRACE(cancel.name);
    answers.push_back([&cancel](CPassDlg& d) {
      Type(d, "never stored");
      cancel.cancel(d);
    });
    window->lock.AskNow();
    EXPECT_TRUE(Minimised());
    EXPECT_FALSE(fs::exists(Store()));
    EXPECT_EQ(console::PasswordLock::CurrentDialog(), nullptr);
  }
  EXPECT_EQ(prompts, 4);
}

TEST_F(PasswordLockTest, AStoreThatCannotBeMadeKeepsTheLock) {
  StandInWindow elsewhere((dir.path() / "missing").string());
  elsewhere.setWindowState(Qt::WindowMinimized);
  elsewhere.show();
  answers.push_back(TypeAndConfirm("secret"));
  elsewhere.lock.AskNow();
  EXPECT_TRUE(elsewhere.isMinimized());
  EXPECT_FALSE(fs::exists(dir.path() / "missing"));
}

// While it is up: hidden characters, nothing done for an empty edit, the window kept down and
// the prompt kept in front with the focus in its edit.
TEST_F(PasswordLockTest, ThePromptHoldsTheWindowDownWhileItIsUp) {
  answers.push_back([this](CPassDlg& d) {
    EXPECT_EQ(console::PasswordLock::CurrentDialog(), &d);
    EXPECT_EQ(d.parentWidget(), window.get());
    EXPECT_TRUE(d.windowTitle().isEmpty());
    EXPECT_FALSE(d.windowFlags() & Qt::FramelessWindowHint);
    ASSERT_NE(d.findChild<QLabel*>(), nullptr);
    EXPECT_EQ(d.findChild<QLabel*>()->text(), "Input Password : ");
    QLineEdit* edit = PasswordEdit(d);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(Button(d, "Confirm")->isDefault());

    QTest::mouseClick(Button(d, "Confirm"), Qt::LeftButton);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_TRUE(d.isVisible()) << "an empty password is no answer";

    Restore();
    EXPECT_TRUE(Minimised());
    EXPECT_EQ(QApplication::activeModalWidget(), &d);

    auto* foreground = d.findChild<QTimer*>("timer1001");
    ASSERT_NE(foreground, nullptr);
    EXPECT_TRUE(foreground->isActive());
    EXPECT_FALSE(foreground->isSingleShot());
    EXPECT_EQ(foreground->interval(), 1000);
    Button(d, "Cancel")->setFocus();
    foreground->start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.focusWidget() == edit; }, 2000));

    Type(d, "hidden");
    const QString shown = edit->displayText();
    EXPECT_EQ(shown.size(), 6);
    EXPECT_EQ(shown, QString(6, shown.at(0))) << "one mask character for each";
    EXPECT_NE(shown.at(0), QChar('h'));
    const QString folder = QString(KESTRIX_SCREENSHOT_DIR);
    QDir().mkpath(folder);
    EXPECT_TRUE(d.grab().save(folder + "/password.png"));
    QTest::keyClick(edit, Qt::Key_Return);
  });
  window->lock.AskNow();
  EXPECT_FALSE(Minimised());
  EXPECT_EQ(test_support::ReadBytes(Store()), "hidden");
}

}  // namespace
