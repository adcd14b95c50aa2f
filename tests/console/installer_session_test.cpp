// An installer setting the simulated bay up from the console alone: the light check with balls
// on the four mat points, and the ball-direction markers on the painted lines.
#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "camera/operator_edits.h"
#include "platform/profile.h"
#include "support/console_fixture.h"

namespace {

class InstallerSession : public test_support::ConsoleFixture {
 protected:
  void StartBay(const std::string& script) {
    Start(script);
    window->setWindowState(Qt::WindowNoState);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void Click(int id) { QTest::mouseClick(Find<QWidget>(id), Qt::LeftButton); }
  void ClickView(QPoint pixel) {
    QTest::mouseClick(window.get(), Qt::LeftButton, {}, window->ViewOrigin(0) + pixel);
  }
  std::string Setting(const char* section, const char* key) const {
    char value[64] = {};
    platform::GetPrivateProfileStringA(section, key, "?", value, sizeof value,
                                       dir.File("setting_top.ini").c_str());
    return value;
  }
  static void Pause(double seconds) {
    WaitFor([] { return false; }, seconds);
  }
};

// The ramp starts dark at 210 and climbs until the four balls read bright enough, then adds its
// margin and saves the gain.
TEST_F(InstallerSession, TheLightCheckRampsTheGainUntilTheMatBallsPassAndSavesIt) {
  StartBay(
      "fps free\ncameras 2\nat 0.1 place mat0\nat 0.1 place mat1\nat 0.1 place mat2\n"
      "at 0.1 place mat3\n");
  Click(1019);
  Pause(0.5);
  Click(1039);
  EXPECT_EQ(Main().gain, 210);
  auto* ramp = window->findChild<QTimer*>("timer1001");
  for (int step = 0; step < 60 && ramp->isActive(); ++step) {
    Pause(0.2);  // frames at the new gain
    window->LightCheckTick(0);
  }
  EXPECT_EQ(Text(1086), "Changed the price of gain");
  EXPECT_GE(Main().gain, 218);
  EXPECT_LE(Main().gain, 368);
  EXPECT_EQ(Setting("setting", "gain"), std::to_string(Main().gain));
  for (const CCheckLight& check : Main().m_matCheck) EXPECT_EQ(check.m_pass, 1);
}

// Each marker clicked a little way in along its painted line finds the line's end again; "save"
// then gives the scale the bay's geometry gives.
TEST_F(InstallerSession, MarkersClickedNearTheLinesSnapOntoThemAndSaveTheBaysScale) {
  StartBay("fps free\ncameras 2\n");
  const std::string meter = Setting("meterForImageRatio", "meter");
  Click(1053);
  Pause(0.5);
  const OperatorEdits placed = CurrentEdits(Main());
  const CRectT* markers[] = {&placed.zigPoints[3], &placed.zigPoints[0], &placed.matPoints[0],
                             &placed.matPoints[1]};
  // top and bottom end the line along the target, left and right the line across it.
  const QPoint inwards[] = {{0, 6}, {6, 0}, {-6, 0}, {0, -6}};
  for (size_t i = 0; i < 4; ++i) {
    const QPoint centre(markers[i]->m_x + 11, markers[i]->m_y + 11);
    ClickView(centre);               // picks it
    ClickView(centre + inwards[i]);  // moves it along its line, off the end
  }
  const OperatorEdits snapped = CurrentEdits(Main());
  const CRectT* after[] = {&snapped.zigPoints[3], &snapped.zigPoints[0], &snapped.matPoints[0],
                           &snapped.matPoints[1]};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_NEAR(after[i]->m_x, markers[i]->m_x, 2) << i;
    EXPECT_NEAR(after[i]->m_y, markers[i]->m_y, 2) << i;
  }
  Click(1070);
  EXPECT_EQ(Setting("meterForImageRatio", "meter"), meter);
}

}  // namespace
