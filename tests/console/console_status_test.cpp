// The status loop: read-outs, the light-check ramp and what a delivered shot shows.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTimer>

#include "console/status_texts.h"
#include "platform/profile.h"
#include "support/console_fixture.h"

namespace {

using test_support::ConsoleFixture;

TEST(StatusTexts, NameEveryCodeTheWatchAndTheAnalysisSet) {
  const std::pair<int, const char*> ballStates[] = {{0, "BALL_EMPTY"}, {1, "BALL_READY"},
                                                    {2, "BALL_SHOT"},  {3, "BALL_SWING_NOT_SHOT"},
                                                    {4, ""},           {-1, ""}};
  for (const auto& [code, name] : ballStates) EXPECT_STREQ(console::BallStateName(code), name);
  const std::pair<int, const char*> paths[] = {
      {0, "Out->In(Hook)"}, {1, "Out->In(Fade)"}, {2, "In->Out(Draw)"}, {3, "In->Out(Slice)"},
      {4, "Hook"},          {5, "Slice"},         {1000, ""},           {6, ""}};
  for (const auto& [code, name] : paths) EXPECT_STREQ(console::ClubPathName(code), name);
}

class ConsoleStatus : public ConsoleFixture {};

TEST_F(ConsoleStatus, TheTickShowsEachCamerasReadOutsAndKeepsTheLastClubPath) {
  Start("fps free\ncameras 2\n");
  ASSERT_TRUE(WaitFor([&] { return Main().m_capture.m_framesLastSecond > 0; }, 20));
  window->StatusTick();
  const QRegularExpression fps(R"(^\d+ \(\d+\.\d\d\)$)");
  for (int id : {1004, 1006}) EXPECT_TRUE(fps.match(Text(id)).hasMatch()) << Text(id).toStdString();
  EXPECT_EQ(Text(1005), "BALL_EMPTY");
  EXPECT_EQ(Text(1063), "BALL_EMPTY");
  EXPECT_EQ(Text(1027), "0");
  EXPECT_EQ(Text(1028), "0");
  EXPECT_EQ(Text(1076), "") << "no shot classified yet";

  // Only the analysis writes the class; the capture threads are stopped so nothing else does.
  window->core().Shutdown();
  Main().m_clubPathClass = 3;
  window->StatusTick();
  EXPECT_EQ(Text(1076), "In->Out(Slice)");
  Main().m_clubPathClass = 1000;
  window->StatusTick();
  EXPECT_EQ(Text(1076), "In->Out(Slice)") << "an unclassified shot keeps the last name";
  Main().m_capture.m_statusCode = 9;
  window->StatusTick();
  EXPECT_EQ(Text(1027), "9");
}

// The ramp climbs by 4 per tick from 210 while the mat points fail, and ends at the ceiling
// with the last gain tried; points that pass get 8 more and the gain is saved.
TEST_F(ConsoleStatus, TheLightCheckRampShowsEachStepAndItsEnd) {
  for (const bool pass : {false, true}) {
    SCOPED_TRACE(pass ? "mat points pass at once" : "mat points never pass");
    Start("fps free\ncameras 2\n");
    // The ramp reads the mat results, which only the capture thread's light check writes.
    window->core().Shutdown();
    for (CCheckLight& check : Main().m_matCheck) check.m_pass = pass ? 1 : 0;
    auto* brightness = Find<QLineEdit>(1009);
    auto* timer = window->findChild<QTimer*>("timer1001");
    Find<QPushButton>(1039)->click();
    EXPECT_EQ(brightness->text(), "210");
    EXPECT_EQ(Text(1086), "Changing the price of gain");
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->interval(), 1200);

    int ticks = 0;
    while (timer->isActive() && ticks < 100) {
      window->LightCheckTick(0);
      ++ticks;
      if (timer->isActive()) {
        EXPECT_EQ(Text(1086), "Changing the price of gain");
      }
    }
    char saved[16] = {};
    platform::GetPrivateProfileStringA("setting", "gain", "", saved, sizeof saved,
                                       dir.File("setting_top.ini").c_str());
    if (pass) {
      EXPECT_EQ(ticks, 1);
      EXPECT_EQ(brightness->text(), "218");
      EXPECT_EQ(Main().gain, 218);
      EXPECT_STREQ(saved, "218");
      EXPECT_EQ(Text(1086), "Changed the price of gain");
    } else {
      EXPECT_EQ(ticks, 38) << "210 + 37 x 4 = 358 is the last gain tried";
      EXPECT_EQ(brightness->text(), "358");
      EXPECT_EQ(Main().gain, 358);
      EXPECT_EQ(Text(1086), "Can not change the price of gain");
    }
    window.reset();
  }
}

// A ball put down is classified (the combo follows the club notice) and its shot measured; the
// window shows the shot's values as the golf client gets them, with the truth's signs.
TEST_F(ConsoleStatus, ADeliveredShotIsShownWithItsClub) {
  const struct {
    const char* name;
    const char* script;
    const char* club;
    double speed, hAngle;
  } shots[] = {
      {"iron",
       "fps free 500 together\ncameras 2\nseed 12\nat 1.0 place iron\n"
       "at 4.0 shot speed=45 hla=-2.0 vla=18 backspin=6000 hand=right path=1.0\nend 7\n",
       "Iron", 45, -2.0},
      {"right-handed putt, measured by the side camera",
       "fps free 500 together\ncameras 2\nseed 15\nat 1.0 place putt\n"
       "at 6.0 shot speed=2.5 hla=1.0 vla=0 hand=right\nend 9\n",
       "Putter", 2.5, 1.0},
  };
  for (const auto& shot : shots) {
    SCOPED_TRACE(shot.name);
    const bool putt = std::string(shot.club) == "Putter";
    if (putt) test_support::WriteBytes(dir.File("putter.txt"), "");
    Start(shot.script);
    ASSERT_TRUE(WaitFor([&] { return !Text(1014).isEmpty(); }, 90)) << "no shot shown";
    EXPECT_EQ(Find<QComboBox>(1017)->currentText(), shot.club);
    const QRegularExpression twoDecimals(R"(^-?\d+\.\d\d$)");
    for (int id : {1014, 1015, 1016, 1018, 1040}) {
      EXPECT_TRUE(twoDecimals.match(Text(id)).hasMatch()) << id << " " << Text(id).toStdString();
    }
    EXPECT_NEAR(Text(1014).toDouble(), shot.speed, shot.speed * (putt ? 0.3 : 0.1));
    EXPECT_NEAR(Text(1015).toDouble(), shot.hAngle, 2.0);
    window.reset();
    std::error_code ignored;
    std::filesystem::remove(dir.path() / "putter.txt", ignored);
  }
}

}  // namespace
