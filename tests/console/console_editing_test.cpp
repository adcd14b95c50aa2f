// The installer's editing and commands in the main window, on the simulated bay.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <cmath>

#include "camera/operator_edits.h"
#include "platform/profile.h"
#include "support/console_fixture.h"

namespace {

using test_support::ConsoleFixture;

class ConsoleEditing : public ConsoleFixture {
 protected:
  void SetUp() override {
    ConsoleFixture::SetUp();
    Start("fps free\ncameras 2\n");
    window->setWindowState(Qt::WindowNoState);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  std::string Setting(const char* section, const char* key, const char* file = "setting_top.ini") {
    char value[64] = {};
    platform::GetPrivateProfileStringA(section, key, "?", value, sizeof value,
                                       dir.File(file).c_str());
    return value;
  }
  void Click(int id) { QTest::mouseClick(Find<QWidget>(id), Qt::LeftButton); }
  // A client point of the main camera's view.
  QPoint InView(int x, int y) const { return window->ViewOrigin(0) + QPoint(x, y); }
  bool Shown(int id) const { return Find<QWidget>(id)->isVisible(); }
};

TEST_F(ConsoleEditing, EachModeShowsItsControlsAndSetsTheCamerasFlags) {
  const struct {
    int box;
    std::vector<int> shown;
    uint8_t lightCheck, ballDirection, clubArea;
  } modes[] = {
      {1019, {1039, 1081, 1082, 1013, 1058, 1009, 1043}, 1, 0, 0},
      {1053, {1024, 1025, 1020, 1033, 1047, 1070}, 0, 1, 0},
      {1072, {1047, 1013}, 0, 0, 1},
      {1084, {}, 0, 0, 0},
  };
  const std::vector<int> editing = {1024, 1025, 1020, 1033, 1047, 1070, 1013,
                                    1039, 1081, 1082, 1058, 1009, 1043};
  for (const auto& mode : modes) {
    SCOPED_TRACE(mode.box);
    Click(mode.box);
    for (int id : {1019, 1053, 1072, 1084}) {
      EXPECT_EQ(Find<QCheckBox>(id)->isChecked(), id == mode.box) << id;
    }
    for (int id : editing) {
      EXPECT_EQ(Shown(id), std::count(mode.shown.begin(), mode.shown.end(), id) == 1) << id;
    }
    EXPECT_EQ(Main().m_lightCheckMode, mode.lightCheck);
    EXPECT_EQ(Main().m_ballDirectionMode, mode.ballDirection);
    EXPECT_EQ(Main().m_clubAreaMode, mode.clubArea);
    EXPECT_EQ(Side().m_lightCheckMode, 0) << "the other camera keeps its mode";
  }
  // The light check watches the iron mat.
  Click(1019);
  EXPECT_EQ(Find<QComboBox>(1017)->currentText(), "Iron");
  EXPECT_EQ(Main().m_clubType, CLUB_IRON);
  EXPECT_EQ(Side().m_clubType, CLUB_IRON);
}

// A mode box clicked again re-reads the settings: a moved point that was not saved goes back.
TEST_F(ConsoleEditing, AModeClickedAgainDropsWhatWasNotSaved) {
  Click(1053);
  const OperatorEdits before = CurrentEdits(Main());
  const CRectT top = before.zigPoints[3];
  QTest::mouseClick(window.get(), Qt::LeftButton, {}, InView(top.m_x + 2, top.m_y + 2));
  EXPECT_EQ(CurrentEdits(Main()).zigPoints[3].m_enabled, 2) << "picked";
  QTest::mouseClick(window.get(), Qt::LeftButton, {}, InView(top.m_x - 60, top.m_y + 40));
  EXPECT_NE(CurrentEdits(Main()).zigPoints[3].m_x, top.m_x) << "moved";
  Click(1053);
  EXPECT_TRUE(Find<QCheckBox>(1053)->isChecked());
  EXPECT_EQ(CurrentEdits(Main()).zigPoints[3], top);
}

// A club area dragged in the view lands in the camera; "apply" saves it. A drag up or left
// of its start leaves the size alone.
TEST_F(ConsoleEditing, AClubAreaDraggedAndAppliedLandsInTheSettingsFile) {
  Click(1072);
  QTest::mousePress(window.get(), Qt::LeftButton, {}, InView(50, 60));
  QTest::mouseMove(window.get(), InView(40, 50));
  const CRectT started = CurrentEdits(Main()).driverArea;
  EXPECT_EQ(started.m_x, 50);
  EXPECT_EQ(started.m_y, 60);
  QTest::mouseMove(window.get(), InView(120, 100));
  QTest::mouseRelease(window.get(), Qt::LeftButton, {}, InView(120, 100));
  EXPECT_EQ(CurrentEdits(Main()).driverArea, (CRectT{50, 60, 70, 40, started.m_enabled}));
  Click(1013);
  EXPECT_EQ(Setting("driverArea", "x"), "50");
  EXPECT_EQ(Setting("driverArea", "width"), "70");
  EXPECT_EQ(Setting("driverArea", "height"), "40");

  // "reset" in club-area mode clears the combo's area in the camera only.
  Click(1047);
  EXPECT_EQ(CurrentEdits(Main()).driverArea, CRectT{});
  EXPECT_EQ(Setting("driverArea", "width"), "70");
}

TEST_F(ConsoleEditing, TheCaptureWindowButtonsMoveAndSaveEachStep) {
  Click(1053);
  const IntPoint start = Main().cameraPosition;
  for (int i = 0; i < 5; ++i) Click(1020);
  EXPECT_EQ(Main().cameraPosition.y, start.y + 10);
  EXPECT_EQ(Setting("cameraPosition", "y"), std::to_string(start.y + 10));
  Click(1024);
  EXPECT_EQ(Main().cameraPosition.x, start.x + 2);
  Click(1025);
  Click(1025);
  EXPECT_EQ(Main().cameraPosition.x, start.x - 2);
  Click(1047);  // "reset" outside club-area mode: the window goes back to its default place
  EXPECT_EQ(Setting("cameraPosition", "x"), "0");
  EXPECT_EQ(Setting("cameraPosition", "y"), "0");
}

// "save" turns the markers into the zero angle and the scale; markers on one row are refused.
TEST_F(ConsoleEditing, SaveDerivesTheDirectionFromTheMarkersAndRefusesAFlatOne) {
  Click(1053);
  OperatorEdits edits = CurrentEdits(Main());
  edits.zigPoints[3] = CRectT{150, 40, 22, 22, 1};   // top
  edits.matPoints[1] = CRectT{160, 229, 22, 22, 1};  // bottom: 189 rows below, 10 to the right
  edits.zigPoints[0] = CRectT{40, 130, 22, 22, 1};   // left
  edits.matPoints[0] = CRectT{260, 130, 22, 22, 1};  // right
  ASSERT_TRUE(RequestEdits(Main(), edits));
  Click(1070);
  EXPECT_NEAR(Main().zeroAngle, -std::atan(10.0 / 189.0) * 180 / M_PI, 1e-4);
  EXPECT_EQ(Main().meter, 42);
  EXPECT_EQ(Setting("meterForImageRatio", "meter"), "42");
  const int tee = Main().TeeReferenceRect().m_x;
  EXPECT_EQ(Main().leftImageWidthFromTeePosition, static_cast<float>(tee - 40));
  EXPECT_EQ(Main().rightImageWidthFromTeePosition, static_cast<float>(260 - tee));

  edits.matPoints[1].m_y = 40;
  ASSERT_TRUE(RequestEdits(Main(), edits));
  Click(1070);
  EXPECT_EQ(Main().meter, 42) << "the old values stay";
  EXPECT_FALSE(Text(1086).isEmpty()) << "and the message line says why";
}

TEST_F(ConsoleEditing, BrightnessAndAdjustmentsReachTheCamerasAndTheirFiles) {
  Click(1019);
  auto* edit = Find<QLineEdit>(1009);
  Find<QSpinBox>(1043)->stepUp();
  EXPECT_EQ(edit->text(), QString::number(Main().gain + 1)) << "the up-down writes the edit";
  edit->clear();
  Click(1013);
  EXPECT_EQ(Main().gain, 0) << "an empty edit is gain 0";
  EXPECT_EQ(Setting("setting", "gain"), "0");
  EXPECT_EQ(Main().exposure, 1000);

  Find<QLineEdit>(1042)->setText("12.5");
  Find<QLineEdit>(1049)->setText("abc");
  Click(1105);
  for (CMainCamera* camera : {&Main(), &Side()}) {
    EXPECT_FLOAT_EQ(camera->m_speedAdjForMulti, 12.5f);
    EXPECT_FLOAT_EQ(camera->m_sideSpinAdjForPlus, 0.0f) << "text that is no number is 0";
  }
  EXPECT_EQ(Setting("SpeedAdj", "speed", "setting_top_side.ini").substr(0, 4), "12.5");
}

TEST_F(ConsoleEditing, HandednessAndDriverReadinessGoToBothCameras) {
  auto* scanType = Find<QComboBox>(1021);
  scanType->setCurrentIndex(2);
  emit scanType->activated(2);  // "Left"
  auto* driverReady = Find<QComboBox>(1029);
  driverReady->setCurrentIndex(1);
  emit driverReady->activated(1);  // "Fast"
  for (const char* file : {"setting_top.ini", "setting_top_side.ini"}) {
    EXPECT_EQ(Setting("SensorSetting", "isRightHand", file), "0") << file;
    EXPECT_EQ(Setting("SensorSetting", "driverReady", file), "1") << file;
  }
  EXPECT_EQ(Side().isRightHand, 0);
  EXPECT_EQ(Side().driverReady, 1);
}

TEST_F(ConsoleEditing, TheChosenClientProgramIsKeptByNameOnly) {
  window->ChooseClientProgram(dir.File("bin/GolfClient.exe").c_str());
  EXPECT_EQ(test_support::ReadBytes(dir.File("process.txt")), "GolfClient.exe");
}

}  // namespace
