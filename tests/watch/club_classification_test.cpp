#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <vector>

#include "clientlink/shot_result_record.h"
#include "support/camera_fixture.h"
#include "watch/club_areas.h"
#include "watch/debug_capture.h"
#include "watch/message_log.h"

namespace {

constexpr uint8_t kBall = 200;
// Four areas side by side across the mat, each with room for one ball and dark mat around it.
constexpr CRectT kAreas[kClubTypeCount] = {
    {20, 200, 60, 60, 0},   // driver
    {100, 200, 60, 60, 0},  // iron
    {0, 0, 0, 0, 0},        // putter: never classified
    {180, 200, 60, 60, 0},  // rough
    {250, 200, 60, 60, 0},  // bunker
};

std::vector<ShotResultRecord> g_notices;
void CollectNotice(ShotResultRecord* record) {
  g_notices.push_back(*record);
}

// One camera on a drawn mat with a classification just started.
struct Classifier {
  explicit Classifier(int32_t sensorType = SENSOR_MAIN) : bay(sensorType) {
    g_notices.clear();
    for (int32_t club : {CLUB_DRIVER, CLUB_IRON, CLUB_ROUGH, CLUB_BUNKER}) {
      SetClubArea(cam, club, kAreas[club]);
    }
    cam.m_resultCallbacks[0] = &CollectNotice;
    cam.StartClassification(1);
  }

  void PutBall(int32_t club, uint8_t value = kBall) {
    bay.frame.Fill(kAreas[club].m_x + 20, kAreas[club].m_y + 20, 17, 17, value);
    bay.Show();
  }
  void Run(int frames) {
    for (int i = 0; i < frames; ++i) ASSERT_EQ(cam.WatchFrame(), 1);
  }
  bool Decided() const { return cam.m_watch.m_classifyCount == kClassificationDecided; }

  void ExpectNotice(int32_t club) {
    ASSERT_EQ(g_notices.size(), 1u);
    // Horizontal angle 1000 marks the notice, the club rides in the vertical angle, all else 0.
    ShotResultRecord expected;
    expected.m_HAngle = 1000.0f;
    expected.m_VAngle = static_cast<float>(club);
    EXPECT_EQ(std::memcmp(&g_notices[0], &expected, sizeof expected), 0);
  }

  MessageLog messages;
  CameraOnFrame bay;
  CMainCamera& cam = bay.camera;
};

TEST(Classification, TeeDecidesAfter808FramesOr202WhenDriverReady) {
  struct Case {
    int32_t driverReady;
    int frames;
  };
  for (const Case c : {Case{0, 808}, Case{1, 202}}) {
    SCOPED_TRACE(c.driverReady);
    Classifier rig;
    rig.cam.m_clubType = CLUB_IRON;
    rig.cam.driverReady = c.driverReady;
    rig.PutBall(CLUB_DRIVER);
    DebugCapture debug;
    rig.Run(c.frames - 1);
    EXPECT_EQ(rig.cam.m_watch.m_classifyCount, c.frames);
    EXPECT_TRUE(g_notices.empty());
    rig.Run(1);
    EXPECT_TRUE(rig.Decided());
    EXPECT_EQ(rig.cam.m_clubType, CLUB_DRIVER);
    EXPECT_EQ(debug.Text(), "-> bDriver <-\n");
    rig.ExpectNotice(CLUB_DRIVER);
  }
}

// The iron score is high enough after 31 frames, but nothing is decided before frame 121.
TEST(Classification, NothingIsDecidedBeforeThe121stFrame) {
  Classifier rig;
  rig.PutBall(CLUB_IRON);
  DebugCapture debug;
  rig.Run(120);
  EXPECT_FALSE(rig.Decided());
  EXPECT_GE(rig.cam.m_watch.m_ironCount, 121);
  rig.Run(1);
  EXPECT_TRUE(rig.Decided());
  EXPECT_EQ(rig.cam.m_clubType, CLUB_IRON);
  EXPECT_EQ(debug.Text(), "-> bIron <-\n");
  rig.ExpectNotice(CLUB_IRON);
  EXPECT_TRUE(rig.messages.messages.empty());
}

// The tee flag comes up on frame 202 (driverReady); an iron ball put down on frame 172 comes up
// on the same frame.
TEST(Classification, IronWinsOverTheTee) {
  Classifier rig;
  rig.cam.driverReady = 1;
  rig.PutBall(CLUB_DRIVER);
  rig.Run(171);
  rig.PutBall(CLUB_IRON);
  DebugCapture debug;
  rig.Run(30);
  EXPECT_FALSE(rig.Decided());
  rig.Run(1);
  EXPECT_TRUE(rig.Decided());
  EXPECT_EQ(rig.cam.m_clubType, CLUB_IRON);
  EXPECT_EQ(debug.Text(), "-> bDriver bIron <-\n");
  rig.ExpectNotice(CLUB_IRON);
}

TEST(Classification, RoughAndBunkerAreSentOnceInAClassification) {
  Classifier rig;
  rig.PutBall(CLUB_ROUGH);
  rig.PutBall(CLUB_BUNKER);
  DebugCapture debug;
  rig.Run(121);
  ASSERT_EQ(rig.messages.messages.size(), 1u);
  const SentMessage& sent = rig.messages.messages[0];
  EXPECT_EQ(sent.code, clientlink::CODE_AREA_FLAGS);
  EXPECT_EQ(sent.lParam, 5);
  EXPECT_EQ(sent.areas, (std::array<uint8_t, 5>{0, 0, 0, 1, 1}));
  EXPECT_EQ(debug.Count("-> bIronRough bIronBunker <-\n"), 1);
  // A report starts the scores over and keeps classifying.
  EXPECT_EQ(rig.cam.m_watch.m_roughCount, 0);
  EXPECT_EQ(rig.cam.m_watch.m_bunkerCount, 0);
  EXPECT_EQ(rig.cam.m_watch.m_classifyCount, 122);

  rig.Run(30);
  EXPECT_EQ(debug.Count("-> bIronRough bIronBunker <-\n"), 1);
  rig.Run(1);
  EXPECT_EQ(debug.Count("-> bIronRough bIronBunker <-\n"), 2);
  EXPECT_EQ(rig.messages.messages.size(), 1u);
  EXPECT_FALSE(rig.Decided());

  // A new classification tells the client arig.
  rig.cam.StartClassification(1);
  rig.Run(121);
  EXPECT_EQ(rig.messages.Count(clientlink::CODE_AREA_FLAGS), 2);
}

// Sunlight across the lower half of the iron area: the ball above it passes the finder, but the
// area as a whole holds more than three balls' worth of bright pixels.
TEST(Classification, SunlitAreaNeverDecides) {
  Classifier rig;
  const CRectT& iron = kAreas[CLUB_IRON];
  rig.bay.frame.Fill(iron.m_x + 20, iron.m_y + 5, 17, 17, kBall);
  const CRectT sunlight = MakeRect(iron.m_x, iron.m_y + 40, iron.m_width, 20);
  rig.bay.frame.Fill(sunlight, 230);
  rig.bay.Show();
  DebugCapture debug;
  rig.Run(400);
  EXPECT_FALSE(rig.Decided());
  EXPECT_EQ(rig.cam.m_watch.m_ironCount, 0);
  EXPECT_EQ(debug.Text(), "");
  EXPECT_TRUE(g_notices.empty());

  // The same ball decides once the sun has gone.
  rig.bay.frame.Fill(sunlight, 0);
  rig.bay.Show();
  rig.Run(31);
  EXPECT_TRUE(rig.Decided());
  EXPECT_EQ(rig.cam.m_clubType, CLUB_IRON);
}

// The side camera keeps its decision to itself: the client hears the club in the ready report.
TEST(Classification, SideCameraDecidesWithoutNoticeOrAreaMessage) {
  Classifier rig(SENSOR_SIDE);
  rig.PutBall(CLUB_ROUGH);
  rig.PutBall(CLUB_BUNKER);
  DebugCapture debug;
  rig.Run(121);
  EXPECT_EQ(debug.Count("-> bIronRough bIronBunker <-\n"), 1);
  rig.PutBall(CLUB_BUNKER, 0);
  rig.Run(31);
  EXPECT_TRUE(rig.Decided());
  EXPECT_EQ(rig.cam.m_clubType, CLUB_ROUGH);
  EXPECT_EQ(debug.Count("-> bIronRough <-\n"), 1);
  EXPECT_TRUE(g_notices.empty());
  EXPECT_TRUE(rig.messages.messages.empty());
}

// Every combination of areas, each brought to the frame where its flags come up together.
TEST(Classification, EveryCombinationOfAreas) {
  struct Case {
    bool driver, iron, rough, bunker;
    const char* line;
    int32_t decides;  // -1: reports instead
    std::array<uint8_t, 5> sent;
  };
  const Case cases[] = {
      {1, 0, 0, 0, "-> bDriver <-\n", CLUB_DRIVER, {}},
      {0, 1, 0, 0, "-> bIron <-\n", CLUB_IRON, {}},
      {1, 1, 0, 0, "-> bDriver bIron <-\n", CLUB_IRON, {}},
      {0, 0, 1, 0, "-> bIronRough <-\n", CLUB_ROUGH, {}},
      {0, 0, 0, 1, "-> bIronBunker <-\n", CLUB_BUNKER, {}},
      {1, 0, 1, 0, "-> bDriver bIronRough <-\n", -1, {1, 0, 0, 1, 0}},
      {1, 0, 0, 1, "-> bDriver bIronBunker <-\n", -1, {1, 0, 0, 0, 1}},
      {0, 1, 1, 0, "-> bIron bIronRough <-\n", -1, {0, 1, 0, 1, 0}},
      {0, 1, 0, 1, "-> bIron bIronBunker <-\n", -1, {0, 1, 0, 0, 1}},
      {0, 0, 1, 1, "-> bIronRough bIronBunker <-\n", -1, {0, 0, 0, 1, 1}},
      {1, 1, 1, 0, "-> bDriver bIron bIronRough <-\n", -1, {1, 1, 0, 1, 0}},
      {1, 1, 0, 1, "-> bDriver bIron bIronBunker <-\n", -1, {1, 1, 0, 0, 1}},
      {0, 1, 1, 1, "-> bIronRough bIron bIronBunker <-\n", -1, {0, 1, 0, 1, 1}},
      {1, 0, 1, 1, "-> bDriver bIron bIronRough bIronBunker <-\n", -1, {1, 1, 0, 1, 1}},
      {1, 1, 1, 1, "-> bDriver bIron bIronRough bIronBunker <-\n", -1, {1, 1, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    Classifier rig;
    WatchState& w = rig.cam.m_watch;
    rig.cam.driverReady = 1;
    rig.cam.m_clubType = c.decides == CLUB_ROUGH ? CLUB_IRON : CLUB_ROUGH;
    // One frame short of every flag the case raises.
    const struct {
      bool on;
      int32_t club;
      platform::Relaxed<int32_t>& score;
      int32_t needs;
    } areas[] = {{c.driver, CLUB_DRIVER, w.m_driverCount, 808},
                 {c.iron, CLUB_IRON, w.m_ironCount, 121},
                 {c.rough, CLUB_ROUGH, w.m_roughCount, 121},
                 {c.bunker, CLUB_BUNKER, w.m_bunkerCount, 121}};
    for (const auto& area : areas) {
      if (!area.on) continue;
      area.score = area.needs - 4;
      rig.PutBall(area.club);
    }
    w.m_classifyCount = 121;
    DebugCapture debug;
    rig.Run(1);
    EXPECT_EQ(debug.Text(), c.line);
    if (c.decides >= 0) {
      EXPECT_TRUE(rig.Decided());
      EXPECT_EQ(rig.cam.m_clubType, c.decides);
      rig.ExpectNotice(c.decides);
      EXPECT_TRUE(rig.messages.messages.empty());
    } else {
      EXPECT_EQ(w.m_classifyCount, 122);
      EXPECT_EQ(w.m_driverCount + w.m_ironCount + w.m_roughCount + w.m_bunkerCount, 0);
      EXPECT_TRUE(g_notices.empty());
      ASSERT_EQ(rig.messages.messages.size(), 1u);
      EXPECT_EQ(rig.messages.messages[0].areas, c.sent);
    }
  }
}

}  // namespace
