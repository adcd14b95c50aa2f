// The console's start-up and shutdown on the simulated bay.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <filesystem>

#include <QApplication>

#include "clientlink/client_link.h"
#include "console/adjustment_fields.h"
#include "console/password_dialog.h"
#include "platform/message_delivery.h"
#include "platform/profile.h"
#include "support/console_fixture.h"

namespace {

namespace fs = std::filesystem;
using test_support::ConsoleFixture;

constexpr const char* kIdleBay = "fps free\ncameras 2\n";

class ConsoleStartup : public ConsoleFixture {
 protected:
  QTimer* Timer(const char* name) const { return window->findChild<QTimer*>(name); }
  std::string Setting(const char* file, const char* section, const char* key) const {
    char value[64] = {};
    platform::GetPrivateProfileStringA(section, key, "?", value, sizeof value,
                                       dir.File(file).c_str());
    return value;
  }
  void SetSetting(const char* file, const char* section, const char* key, const char* value) {
    platform::WritePrivateProfileStringA(section, key, value, dir.File(file).c_str());
  }
  bool Hidden(int id) const { return Find<QWidget>(id)->isHidden(); }
};

TEST_F(ConsoleStartup, FillsEveryControlFromTheCamerasAndEndsMinimised) {
  // The cleanup thread clears earlier days' shot records at start.
  fs::create_directories(dir.path() / "data" / "2001-1-1 10-0-0(TopMain)(S 40.1)");
  Start(kIdleBay);
  ASSERT_TRUE(window->core().BothCapturing());
  EXPECT_EQ(window->windowTitle(), "VarnokGolfV");
  EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
  EXPECT_EQ(Text(1083), "2.0.0.70");
  for (int id : {1086, 1087}) {
    const QFont font = Find(id)->font();
    EXPECT_EQ(font.pixelSize(), 13);
    EXPECT_EQ(font.weight(), QFont::DemiBold);
    EXPECT_EQ(Text(id), "") << "both cameras opened";
  }

  const struct {
    CMainCamera& camera;
    int edit, spin, game;
    std::vector<int> cleared;
  } consoles[] = {{Main(), 1009, 1043, 1084, {1053, 1019, 1072}},
                  {Side(), 1022, 1051, 1085, {1064, 1062, 1075}}};
  for (const auto& c : consoles) {
    EXPECT_EQ(Find<QLineEdit>(c.edit)->text(), QString::number(c.camera.gain));
    const auto* spin = Find<QSpinBox>(c.spin);
    EXPECT_EQ(spin->minimum(), 1);
    EXPECT_EQ(spin->maximum(), 1000);
    EXPECT_EQ(spin->value(), c.camera.gain);
    EXPECT_TRUE(Find<QCheckBox>(c.game)->isChecked());
    for (int id : c.cleared) EXPECT_FALSE(Find<QCheckBox>(id)->isChecked()) << id;
  }
  // Game mode shows none of the editing controls; the "simulate" controls never show.
  for (int id :
       {1024, 1025, 1020, 1033, 1047, 1070, 1013, 1039, 1081, 1082, 1058, 1009, 1043, 1035, 1036,
        1034, 1041, 1048, 1071, 1026, 1068, 1088, 1089, 1059, 1022, 1051, 1038, 1057, 1078, 1079}) {
    EXPECT_TRUE(Hidden(id)) << id;
  }
  for (const console::AdjustmentField& field : console::kAdjustmentFields) {
    EXPECT_EQ(Find<QLineEdit>(field.id)->text(),
              QString::asprintf(field.format, static_cast<double>(Main().*field.member)))
        << field.id;
  }
  EXPECT_EQ(Find<QComboBox>(1017)->currentText(), "Driver");
  EXPECT_EQ(Find<QComboBox>(1021)->currentText(), Main().isRightHand == 0   ? "Left"
                                                  : Main().isRightHand == 1 ? "Right"
                                                                            : "Both");
  EXPECT_EQ(Find<QComboBox>(1029)->currentIndex(), Main().driverReady);

  ASSERT_NE(Timer("timer1000"), nullptr);
  EXPECT_TRUE(Timer("timer1000")->isActive());
  EXPECT_EQ(Timer("timer1000")->interval(), 250);
  EXPECT_FALSE(Timer("timer1011")->isActive()) << "nothing to reconnect";

  // The views stand at their origins and the buttons around them.
  EXPECT_EQ(window->ViewOrigin(0), QPoint(46, 20));
  EXPECT_EQ(window->ViewOrigin(1).y(), Find(1086)->geometry().bottom() + 1 + 10);
  EXPECT_EQ(Find<QWidget>(1024)->geometry(), QRect(0, 20 + 160, 46, 20));
  EXPECT_EQ(Find<QWidget>(1070)->geometry(), QRect(46 + 160 + 92, 20 + 320, 46, 20));
  EXPECT_EQ(Find<QWidget>(1089)->geometry(),
            QRect(46 + 138, window->ViewOrigin(1).y() + 320 + 18, 92, 16));
  EXPECT_TRUE(WaitFor([&] { return fs::is_empty(dir.path() / "data"); }, 10));
}

// The side camera takes the installation's choices from the main camera and keeps them in its
// own file; automatic gain shows its read-out and the timer that fills it.
TEST_F(ConsoleStartup, TheSideCameraFollowsTheMainCamerasAutomaticGain) {
  for (const char* autoGain : {"0", "1"}) {
    SCOPED_TRACE(autoGain);
    const char* other = autoGain[0] == '0' ? "1" : "0";
    SetSetting("setting_top.ini", "SensorSetting", "autoGain", autoGain);
    SetSetting("setting_top_side.ini", "SensorSetting", "autoGain", other);
    Start(kIdleBay);
    const bool on = autoGain[0] == '1';
    EXPECT_EQ(Side().autoGain, on ? 1 : 0);
    EXPECT_EQ(Setting("setting_top_side.ini", "SensorSetting", "autoGain"), autoGain);
    EXPECT_EQ(Timer("timer1008")->isActive(), on);
    for (int id : {1060, 1010, 1061, 1023}) EXPECT_EQ(Hidden(id), !on) << id;
    EXPECT_EQ(Find<QPushButton>(1039)->isEnabled(), !on);
    EXPECT_EQ(Find<QPushButton>(1068)->isEnabled(), !on);
    if (on) {
      window->AutoBrightnessTick();
      EXPECT_EQ(Text(1010), QString::number(Main().ReadReportedGain()));
    }
    window.reset();
  }
}

TEST_F(ConsoleStartup, APutterFlagAtStartPutsBothCamerasToPutting) {
  test_support::WriteBytes(dir.File("putter.txt"), "");
  Start(kIdleBay);
  EXPECT_EQ(Main().m_clubType, CLUB_PUTTER);
  EXPECT_EQ(Side().m_clubType, CLUB_PUTTER);
  EXPECT_EQ(Find<QComboBox>(1017)->currentText(), "Putter");
  window->close();
  EXPECT_FALSE(fs::exists(dir.path() / "putter.txt")) << "the shutdown forgets the putter";
}

// Every way of closing the window stops both capture threads before the window goes.
TEST_F(ConsoleStartup, EveryCloseStopsBothCamerasFirst) {
  const struct {
    const char* name;
    std::function<void(CTestKestrixDlg&)> close;
  } paths[] = {
      {"close box", [](CTestKestrixDlg& w) { w.close(); }},
      {"Esc", [](CTestKestrixDlg& w) { QTest::keyClick(&w, Qt::Key_Escape); }},
      {"Enter", [](CTestKestrixDlg& w) { QTest::keyClick(&w, Qt::Key_Return); }},
      {"client's close",
       [](CTestKestrixDlg&) {
         // Sent from another thread, as the client's process would; the answer comes once the
         // window has run the code.
         std::thread client([] {
           int64_t answer = 0;
           platform::SendEndpointMessage(clientlink::kSensorWindow,
                                         {clientlink::kMessage, clientlink::CODE_CLOSE, 0}, 5000,
                                         &answer);
         });
         client.detach();
       }},
      {"signal's close request", [](CTestKestrixDlg& w) { w.core().RequestClose(); }},
  };
  for (const auto& path : paths) {
    SCOPED_TRACE(path.name);
    test_support::WriteBytes(dir.File("putter.txt"), "");
    Start(kIdleBay);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    ASSERT_TRUE(window->core().BothCapturing());
    ASSERT_TRUE(window->core().ListeningToClient());
    path.close(*window);
    EXPECT_TRUE(WaitFor([&] { return window->ShutDown() && !window->isVisible(); }, 10));
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_EQ(Main().m_capture.m_capture, 0);
    EXPECT_EQ(Side().m_capture.m_capture, 0);
    EXPECT_FALSE(Main().m_capture.m_thread.joinable());
    EXPECT_FALSE(Side().m_capture.m_thread.joinable());
    EXPECT_FALSE(fs::exists(dir.path() / "putter.txt"));
    window.reset();
  }
}

// The sensor's window stays down until the password is typed; the first one becomes it.
TEST_F(ConsoleStartup, TheWindowComesUpOnlyWithThePassword) {
  Start(kIdleBay);
  window->show();
  window->LockWithPassword();
  bool prompted = false;
  QTimer::singleShot(300, [&] {
    auto* prompt = qobject_cast<CPassDlg*>(QApplication::activeModalWidget());
    prompted = prompt != nullptr;
    if (prompt == nullptr) return;
    EXPECT_TRUE(window->windowState() & Qt::WindowMinimized);
    QTest::keyClicks(prompt->findChild<QLineEdit*>("1082"), "secret");
    for (QPushButton* button : prompt->findChildren<QPushButton*>()) {
      if (button->text() == "Confirm") button->click();
    }
  });
  EXPECT_TRUE(
      WaitFor([&] { return prompted && !(window->windowState() & Qt::WindowMinimized); }, 10));
  EXPECT_TRUE(prompted);
  EXPECT_EQ(test_support::ReadBytes(dir.File("pass.txt")), "secret");
  EXPECT_TRUE(window->core().BothCapturing()) << "the lock hides the controls, not the sensor";
}

// A close asked before the first prompt came up (a signal during the start-up) ends the window
// at once: the prompt still on its way must not hold it for its twenty seconds.
TEST_F(ConsoleStartup, ACloseBeforeThePromptEndsTheWindowAtOnce) {
  Start(kIdleBay);
  window->show();
  window->core().RequestClose();
  window->LockWithPassword();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(WaitFor([&] { return window->ShutDown() && !window->isVisible(); }, 5));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A camera that is missing at start says so, and the reconnect timer opens both once the bay
// has both; with one camera connected a tick leaves everything as it is.
TEST_F(ConsoleStartup, AMissingCameraIsReconnectedByTheTimer) {
  Start("fps free\ncameras 1\nat 4 connect side\n");
  EXPECT_EQ(Text(1086), "");
  EXPECT_EQ(Text(1087), "Check camera(2) line/usb(-1)");
  QTimer* reconnect = Timer("timer1011");
  EXPECT_TRUE(reconnect->isActive());
  EXPECT_EQ(reconnect->interval(), 3000);

  window->ReconnectTick();
  EXPECT_EQ(Text(1087), "Check camera(2) line/usb(-1)");
  EXPECT_TRUE(reconnect->isActive());
  EXPECT_NE(Main().m_capture.m_capture, 0) << "one camera connected: nothing is stopped";

  EXPECT_TRUE(WaitFor([&] { return !reconnect->isActive(); }, 30));
  EXPECT_TRUE(window->core().BothCapturing());
  EXPECT_EQ(Text(1086), "");
  EXPECT_EQ(Text(1087), "");
}

}  // namespace
