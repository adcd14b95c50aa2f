// The check-camera view over the simulated bay: it takes one camera from the main window, shows
// it with the larger check-view window and hands it back with the gain chosen.
#include "console/check_camera_dialog.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "camera/operator_edits.h"
#include "platform/profile.h"
#include "support/console_fixture.h"

namespace {

using test_support::ConsoleFixture;

constexpr const char* kBay = "fps free\ncameras 2\n";
constexpr const char* kMainFile = "setting_top.ini";
constexpr const char* kSideFile = "setting_top_side.ini";

class CheckCameraDialog : public ConsoleFixture {
 protected:
  void TearDown() override {
    // Taking a camera and handing it back is no camera fault (which would restart the sensor).
    EXPECT_FALSE(std::filesystem::exists(dir.File("camera.txt")));
    ConsoleFixture::TearDown();
  }
  std::string Setting(const char* section, const char* key, const char* file) const {
    char value[64] = {};
    platform::GetPrivateProfileStringA(section, key, "?", value, sizeof value,
                                       dir.File(file).c_str());
    return value;
  }
  // A key the dialog's camera writes back on closing, changed behind its back.
  void Tamper(const char* file) const {
    ASSERT_TRUE(platform::WritePrivateProfileStringA("meterForImageRatio", "meter", "999",
                                                     dir.File(file).c_str()));
  }
  std::unique_ptr<CCheckCameraDlg> Dialog(CMainCamera& camera, bool mainCamera) {
    auto dialog =
        std::make_unique<CCheckCameraDlg>(camera, mainCamera, dir.path().string(), window.get());
    QObject::connect(dialog.get(), &CCheckCameraDlg::gainHandedBack, [this](int gain) {
      ++handedBack;
      handedGain = gain;
    });
    return dialog;
  }
  // The frame count moves with every frame delivered (and restarts each second).
  static bool Delivers(const CMainCamera& camera) {
    const int32_t counted = camera.m_capture.m_frameCount;
    return WaitFor([&] { return camera.m_capture.m_frameCount != counted; }, 5.0);
  }
  static bool Frozen(const CMainCamera& camera) {
    const int32_t counted = camera.m_capture.m_frameCount;
    return !WaitFor([&] { return camera.m_capture.m_frameCount != counted; }, 0.3);
  }
  // A picture of the own camera that stays the latest until the dialog paints again: no timer
  // paints, and one was published after the last paint.
  static const ViewSnapshot* StillPicture(CCheckCameraDlg& dialog) {
    dialog.findChild<QTimer*>("timer1000")->stop();
    dialog.repaint();
    const ViewSnapshots& view = dialog.camera().m_view;
    const ViewSnapshot* painted = view.Latest();
    WaitFor([&] { return view.Latest() != painted; }, 5.0);
    return view.Latest() != painted ? view.Latest() : nullptr;
  }
  template <typename Widget>
  static Widget* Control(CCheckCameraDlg& dialog, int id) {
    auto* widget = dialog.findChild<Widget*>(QString::number(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
  }

  int handedBack = 0;
  int handedGain = -1;
};

TEST_F(CheckCameraDialog, EveryWayOfClosingHandsTheCameraBackOnce) {
  Start(kBay);
  ASSERT_TRUE(Delivers(Main()));
  const std::string meter = Setting("meterForImageRatio", "meter", kMainFile);
  const struct {
    const char* name;
    void (*close)(CCheckCameraDlg&);  // null: never shown, only destroyed
  } ways[] = {
      {"Esc", [](CCheckCameraDlg& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
      {"close box", [](CCheckCameraDlg& d) { d.close(); }},
      {"reject", [](CCheckCameraDlg& d) { d.reject(); }},
      {"destroyed unshown", nullptr},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.name);
    handedBack = 0;
    const int32_t gain = Main().gain;
    {
      auto dialog = Dialog(Main(), true);
      EXPECT_TRUE(dialog->Opened());
      EXPECT_EQ(Main().m_capture.m_pause, 1);
      EXPECT_TRUE(Frozen(Main())) << "the main window's camera is taken";
      Tamper(kMainFile);
      if (way.close != nullptr) {
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        way.close(*dialog);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_EQ(handedBack, 1);
        dialog->reject();
        dialog->close();
      }
    }
    EXPECT_EQ(handedBack, 1);
    EXPECT_EQ(handedGain, gain) << "the gain comes back unchanged";
    EXPECT_EQ(Main().gain, gain);
    EXPECT_EQ(Setting("meterForImageRatio", "meter", kMainFile), meter) << "settings rewritten";
    EXPECT_EQ(Main().m_capture.m_pause, 0);
    EXPECT_TRUE(Delivers(Main())) << "capturing again";
  }
}

// Run modally, as the main window runs it.
TEST_F(CheckCameraDialog, TheAppliedGainIsSavedAndHandedToTheMainWindowsCamera) {
  Start(kBay);
  ASSERT_TRUE(Delivers(Main()));
  auto dialog = Dialog(Main(), true);
  int result = -1;
  QTimer::singleShot(0, dialog.get(), [&] {
    auto* edit = Control<QLineEdit>(*dialog, 1109);
    auto* spin = Control<QSpinBox>(*dialog, 1110);
    EXPECT_EQ(edit->text(), QString::number(Main().gain));
    EXPECT_EQ(spin->value(), Main().gain);
    edit->clear();
    QTest::keyClicks(edit, "4x56");
    EXPECT_EQ(edit->text(), "456") << "digits only";
    Tamper(kMainFile);
    QTest::mouseClick(Control<QPushButton>(*dialog, 1111), Qt::LeftButton);
    EXPECT_EQ(dialog->camera().gain, 456);
    EXPECT_EQ(spin->value(), 456);
    EXPECT_EQ(Setting("setting", "gain", kMainFile), "456");
    EXPECT_EQ(Setting("meterForImageRatio", "meter", kMainFile), "999") << "the gain alone";

    spin->stepUp();
    EXPECT_EQ(edit->text(), "457") << "the up-down writes the edit";
    EXPECT_EQ(dialog->camera().gain, 456) << "and applies nothing";
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
  });
  result = dialog->exec();
  EXPECT_EQ(result, QDialog::Rejected);
  EXPECT_EQ(handedBack, 1);
  EXPECT_EQ(handedGain, 456);
  EXPECT_EQ(Main().gain, 456);
  EXPECT_EQ(Setting("setting", "gain", kMainFile), "456");
  EXPECT_NE(Setting("meterForImageRatio", "meter", kMainFile), "999") << "then the whole file";
  EXPECT_TRUE(Delivers(Main()));
}

TEST_F(CheckCameraDialog, TheSideCameraIsTakenWhileTheMainCameraKeepsCapturing) {
  Start(kBay);
  ASSERT_TRUE(Delivers(Side()));
  const std::string mainBytes = test_support::ReadBytes(dir.File(kMainFile));
  const std::string meter = Setting("meterForImageRatio", "meter", kSideFile);
  {
    auto dialog = Dialog(Side(), false);
    EXPECT_NE(dynamic_cast<const CSideCamera*>(&dialog->camera()), nullptr);
    EXPECT_TRUE(dialog->Opened());
    EXPECT_EQ(Side().m_capture.m_pause, 1);
    EXPECT_TRUE(Frozen(Side()));
    EXPECT_TRUE(Delivers(Main()));
    EXPECT_EQ(Main().m_capture.m_pause, 0);
    Tamper(kSideFile);
    dialog->reject();
  }
  EXPECT_EQ(handedGain, Side().gain);
  EXPECT_EQ(Setting("meterForImageRatio", "meter", kSideFile), meter);
  EXPECT_EQ(test_support::ReadBytes(dir.File(kMainFile)), mainBytes);
  EXPECT_TRUE(Delivers(Side()));
}

TEST_F(CheckCameraDialog, ItShowsItsOwnLargerPictureOneToOneWithTheLightCheckPoints) {
  Start(kBay);
  auto dialog = Dialog(Main(), true);
  EXPECT_EQ(dialog->windowTitle(), "Check Camera View");
  EXPECT_EQ(dialog->windowIcon().cacheKey(), window->windowIcon().cacheKey());
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  EXPECT_EQ(dialog->size(), QSize(480, 600));
  const std::pair<int, QPoint> places[] = {
      {1108, {10, 514}}, {1109, {90, 510}}, {1110, {180, 510}}, {1111, {230, 510}}};
  for (const auto& [id, place] : places) {
    EXPECT_EQ(Control<QWidget>(*dialog, id)->pos(), place) << id;
  }

  const ViewSnapshot* view = StillPicture(*dialog);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(view->width, 480);
  EXPECT_EQ(view->height, 480);
  EXPECT_EQ(dialog->camera().m_lightCheckMode, 1);
  const QImage shot = dialog->grab().toImage();
  QDir().mkpath(KESTRIX_SCREENSHOT_DIR);
  EXPECT_TRUE(shot.save(KESTRIX_SCREENSHOT_DIR "/check_camera.png"));

  // Where nothing is drawn over it, the picture comes through pixel for pixel.
  int same = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 480; ++x) same += qGray(shot.pixel(x, y)) == view->frame[y * 480 + x];
  }
  EXPECT_GT(same, 480 * 480 * 9 / 10);
  EXPECT_LT(same, 480 * 480 - 500) << "the points, their labels and the two texts";
  EXPECT_EQ(shot.pixelColor(400, 570), dialog->palette().color(QPalette::Button));
}

TEST_F(CheckCameraDialog, AClickInThePicturePicksAndMovesTheOwnCamerasPoint) {
  Start(kBay);
  auto dialog = Dialog(Main(), true);
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  ASSERT_NE(StillPicture(*dialog), nullptr);
  const CMainCamera& own = dialog->camera();
  const CRectT point = CurrentEdits(own).zigPoints[0];
  const OperatorEdits mainBefore = CurrentEdits(Main());

  QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(point.m_x + 2, 481));
  EXPECT_EQ(CurrentEdits(own).zigPoints[0], point) << "below the picture";
  QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(point.m_x + 2, point.m_y + 2));
  EXPECT_EQ(CurrentEdits(own).zigPoints[0].m_enabled, 2) << "picked";
  QTest::mouseClick(dialog.get(), Qt::LeftButton, {}, QPoint(240, 300));
  const CRectT moved = CurrentEdits(own).zigPoints[0];
  EXPECT_NE(moved.m_y, point.m_y);
  EXPECT_EQ(moved.m_enabled, 1);
  EXPECT_EQ(CurrentEdits(Main()).zigPoints[0], mainBefore.zigPoints[0]);
}

// With only the main camera connected the side camera cannot be opened: nothing to show, but
// the gain still goes to its file and back.
TEST_F(CheckCameraDialog, ACameraThatCannotBeOpenedLeavesThePictureEmpty) {
  Start("fps free\ncameras 1\n");
  ASSERT_TRUE(Delivers(Main()));
  auto dialog = Dialog(Side(), false);
  EXPECT_FALSE(dialog->Opened());
  dialog->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
  const QImage shot = dialog->grab().toImage();
  const QColor face = dialog->palette().color(QPalette::Button);
  EXPECT_EQ(shot.pixelColor(0, 0), face);
  EXPECT_EQ(shot.pixelColor(240, 240), face);

  Control<QLineEdit>(*dialog, 1109)->setText("77");
  QTest::mouseClick(Control<QPushButton>(*dialog, 1111), Qt::LeftButton);
  EXPECT_EQ(Setting("setting", "gain", kSideFile), "77");
  dialog->close();
  EXPECT_EQ(handedGain, 77);
  EXPECT_EQ(Side().gain, 77);
  EXPECT_TRUE(Delivers(Main()));
}

}  // namespace

namespace {

// The golf client closes the sensor while the installer looks through the check view: the view
// hands its camera back before the main window stops it, and nothing counts as a camera fault.
TEST_F(CheckCameraDialog, TheSensorClosedMeanwhileTakesTheCameraBackFirst) {
  Start("fps free\ncameras 2\n");
  window->setWindowState(Qt::WindowNoState);
  window->show();
  bool opened = false;
  QTimer::singleShot(500, [&] {
    opened = qobject_cast<CCheckCameraDlg*>(QApplication::activeModalWidget()) != nullptr;
    window->core().RequestClose();
  });
  Find<QPushButton>(1082)->click();  // returns once the view has closed
  EXPECT_TRUE(opened);
  EXPECT_TRUE(WaitFor([&] { return window->ShutDown(); }, 10));
  EXPECT_EQ(Main().m_capture.m_capture, 0);
  EXPECT_FALSE(Main().m_capture.m_thread.joinable());
}

}  // namespace
