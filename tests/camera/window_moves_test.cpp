// The three window moves the ball watch asks for, checked through the start positions sent to
// the component and the shifts kept for the club areas and the tee reference.
#include <gtest/gtest.h>

#include "camera/main_camera.h"
#include "varnok_call_log.h"

namespace {

using varnok_log::Call;

// A camera that streams as far as the moves care: found, capturing, at home.
class WindowMovesTest : public ::testing::Test {
 protected:
  void SetUp() override { Configure(SENSOR_MAIN); }
  void Configure(int32_t sensorType) {
    camera.SensorType = sensorType;
    camera.m_whiteNum.Init(sensorType);
    camera.cameraPosition = IntPoint{7, -5};
    camera.m_capture.m_cameraIndex = 1;
    camera.m_capture.m_capture = 1;
    camera.m_areas.driverArea = CRectT{10, 20, 30, 40, 0};
    camera.m_areas.ironArea = CRectT{11, 21, 31, 41, 0};
    camera.m_areas.ironArea_Rough = CRectT{12, 22, 32, 42, 0};
    camera.m_areas.ironArea_Bunker = CRectT{13, 23, 33, 43, 0};
    camera.m_areas.putterArea = CRectT{14, 24, 34, 44, 0};
    varnok_log::Clear();
  }
  int32_t HomeX() const { return camera.m_whiteNum.m_startX + 7; }
  int32_t HomeY() const { return camera.m_whiteNum.m_startY - 5; }
  // The one start position sent since the last Clear.
  Call OnlyStartPos() const {
    const std::vector<Call> moves = varnok_log::CallsNamed("SetStartPos");
    EXPECT_EQ(moves.size(), 1u);
    return moves.empty() ? Call{} : moves[0];
  }

  CMainCamera camera;
};

struct CentreCase {
  const char* name;
  int32_t clubType;
  int32_t rowFromBottom;  // where the ball's top-left corner lands, counted from the bottom row
};

const CentreCase kCentreCases[] = {
    {"iron", CLUB_IRON, 80},
    {"driver", CLUB_DRIVER, 80},
    {"bunker", CLUB_BUNKER, 30},
};

TEST_F(WindowMovesTest, CentringPutsTheBallCornerAtMidColumnNearTheBottom) {
  for (const CentreCase& c : kCentreCases) {
    SCOPED_TRACE(c.name);
    Configure(SENSOR_MAIN);
    camera.m_windowMoved = false;
    camera.m_clubType = c.clubType;
    camera.m_foundBallArea = CRectT{101, 151, 18, 18, 0};
    camera.CentreWindowOnBall();

    const Call move = OnlyStartPos();
    ASSERT_EQ(move.args.size(), 3u);
    EXPECT_EQ(move.args[0], 1);
    // The ball's corner on the sensor, seen from the new window origin.
    const int32_t column = HomeX() + 101 - move.args[1];
    const int32_t row = HomeY() + 151 - move.args[2];
    EXPECT_EQ(column, 320 / 2);
    EXPECT_EQ(row, 320 - c.rowFromBottom);
    EXPECT_TRUE(camera.m_windowMoved);

    const int32_t dx = HomeX() - move.args[1];
    const int32_t dy = HomeY() - move.args[2];
    EXPECT_EQ(camera.m_windowShiftX, dx);
    EXPECT_EQ(camera.m_windowShiftY, dy);
    const ClubAreas& a = camera.m_areas;
    const std::pair<const CRectT*, const CRectT*> pairs[] = {
        {&a.driverArea, &a.driverAreaShifted},
        {&a.ironArea, &a.ironAreaShifted},
        {&a.ironArea_Rough, &a.ironAreaShifted_Rough},
        {&a.ironArea_Bunker, &a.ironAreaShifted_Bunker},
        {&a.putterArea, &a.putterAreaShifted}};
    for (const auto& [area, shifted] : pairs) {
      EXPECT_EQ(*shifted, (CRectT{area->m_x + dx, area->m_y + dy, area->m_width, area->m_height,
                                  area->m_enabled}));
    }
    // The gain goes to the camera again after the move.
    const std::vector<Call> controls = varnok_log::CallsNamed("SetControlValue");
    ASSERT_FALSE(controls.empty());
    EXPECT_EQ(controls.back().args[1], 0);
    EXPECT_EQ(controls.back().args[2], camera.gain);
  }
}

TEST_F(WindowMovesTest, EachMoveNeedsItsFlagAndACapturingCamera) {
  camera.m_foundBallArea = CRectT{100, 150, 18, 18, 0};
  camera.m_windowMoved = true;
  camera.CentreWindowOnBall();  // already centred
  camera.m_windowMoved = false;
  camera.ReturnWindowHome();  // already home
  camera.RaiseWindow();
  camera.m_capture.m_capture = 0;
  camera.CentreWindowOnBall();
  camera.m_windowMoved = true;
  camera.ReturnWindowHome();
  camera.RaiseWindow();
  EXPECT_TRUE(varnok_log::Calls().empty()) << varnok_log::Describe(varnok_log::Calls());
}

struct HomeCase {
  const char* name;
  int32_t sensorType;
  int32_t rowsAboveHome;
};

const HomeCase kHomeCases[] = {
    {"main", SENSOR_MAIN, 0},
    {"side", SENSOR_SIDE, 0},
    {"check_view", SENSOR_CHECK_VIEW, 80},
};

TEST_F(WindowMovesTest, ReturnHomeClearsTheShift) {
  for (const HomeCase& c : kHomeCases) {
    SCOPED_TRACE(c.name);
    Configure(c.sensorType);
    camera.m_windowMoved = true;
    camera.m_windowShiftX = 12;
    camera.m_windowShiftY = -34;
    camera.ReturnWindowHome();
    const Call move = OnlyStartPos();
    EXPECT_EQ(move.args, (std::vector<int32_t>{1, HomeX(), HomeY() - c.rowsAboveHome}));
    EXPECT_FALSE(camera.m_windowMoved);
    EXPECT_EQ(camera.m_windowShiftX, 0);
    EXPECT_EQ(camera.m_windowShiftY, 0);
  }
}

TEST_F(WindowMovesTest, RaiseLiftsTheWindowAndLeavesTheShiftedAreas) {
  camera.m_windowMoved = true;
  camera.m_areas.ironAreaShifted = CRectT{1, 2, 3, 4, 0};
  camera.RaiseWindow();
  const Call move = OnlyStartPos();
  EXPECT_EQ(move.args, (std::vector<int32_t>{1, HomeX(), HomeY() - 160}));
  EXPECT_FALSE(camera.m_windowMoved);
  EXPECT_EQ(camera.m_windowShiftX, 0);
  EXPECT_EQ(camera.m_windowShiftY, 160);
  EXPECT_EQ(camera.m_areas.ironAreaShifted, (CRectT{1, 2, 3, 4, 0}));
}

TEST_F(WindowMovesTest, TeeReferenceFollowsTheShiftOnlyWhileMoved) {
  camera.m_windowShiftX = -20;
  camera.m_windowShiftY = 35;
  camera.m_windowMoved = false;
  EXPECT_EQ(camera.TeeReferenceRect(), (CRectT{160, 103, 246, 0, 0}));
  camera.m_windowMoved = true;
  EXPECT_EQ(camera.TeeReferenceRect(), (CRectT{140, 138, 246, 0, 0}));
  Configure(SENSOR_CHECK_VIEW);
  camera.m_windowMoved = false;
  EXPECT_EQ(camera.TeeReferenceRect(), (CRectT{240, 103, 246, 0, 0}));
}

}  // namespace
