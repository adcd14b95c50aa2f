// Whole analysis runs on shots the simulated cameras render, with both cameras wired as at start
// (and, for some, one camera alone): the frames a run reads, the shot record it leaves and who
// reports the shot.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

#include "analysis/shot_run.h"
#include "camera/varnok_call_log.h"
#include "clientlink/client_link.h"
#include "platform/milli_clock.h"
#include "platform/profile.h"
#include "sim_control.h"
#include "support/rendered_session.h"

namespace {

namespace fs = std::filesystem;
constexpr double kTimeoutS = 90.0;

// Frame reads of one camera, told apart by the buffer they fill: the shot frame store (the
// shot's own frames) or the spare frame (frames read only to keep pace).
struct ReadCounts {
  std::atomic<int> store{0};
  std::atomic<int> spare{0};
};

class FrameReads {
 public:
  explicit FrameReads(const CMainCamera& camera) : camera_(camera) {
    varnok_log::ReadHook hook;
    hook.before = [this](int32_t, uint8_t* buffer) {
      const FrameBuffers& b = camera_.m_buffers;
      const auto frame = static_cast<size_t>(b.imageSize);
      if (b.shotStore && buffer >= b.shotStore.get() &&
          buffer < b.shotStore.get() + frame * kShotStoreFrames) {
        ++counts_.store;
      } else if (buffer == b.spare.get()) {
        ++counts_.spare;
      }
    };
    varnok_log::SetReadHook(hook);
  }
  ~FrameReads() { varnok_log::ClearReadHook(); }
  int store() const { return counts_.store; }
  int spare() const { return counts_.spare; }

 private:
  const CMainCamera& camera_;
  ReadCounts counts_;
};

std::string Script(const char* area, const char* shot) {
  return std::string("fps free 500 together\ncameras 2\nseed 9\nat 1.0 place ") + area +
         "\nat 4.0 shot " + shot + "\nend 6\n";
}

const ShotDirectory* Find(const std::vector<ShotDirectory>& records, bool main) {
  for (const ShotDirectory& r : records) {
    if (r.main == main) return &r;
  }
  return nullptr;
}

TEST(AnalysisRun, ReadsTheShotsFramesRightAfterTheTrigger) {
  struct Case {
    const char* name;
    const char* area;
    const char* shot;
    int64_t clubCode;
    int storeReads;
    int droppedReads;
  };
  // A bunker shot reads 42 frames, any other 30; a putt reads a frame to drop before each one, so
  // it samples every second camera frame. A left-handed putt is the main camera's to report, so
  // it does not wait for the side camera.
  const Case cases[] = {
      {"iron", "iron", "speed=45 hla=-2 vla=18 backspin=6000", -1, 29, -1},
      {"bunker", "bunker", "speed=28 hla=0.5 vla=30 backspin=7000", -1, 41, -1},
      {"putt", "putt", "speed=3 hla=-1.5 vla=0 hand=left", 12, 29, 29},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RenderedSession session(Script(c.area, c.shot));
    FrameReads reads(session.core().mainCamera());
    ASSERT_TRUE(session.Run(2, kTimeoutS, c.clubCode));
    EXPECT_EQ(reads.store(), c.storeReads);
    if (c.droppedReads >= 0) {
      EXPECT_EQ(reads.spare(), c.droppedReads);
    }
  }
}

std::string IniValue(const fs::path& ini, const char* section, const char* key) {
  char text[64];
  platform::GetPrivateProfileStringA(section, key, "?", text, sizeof text, ini.string().c_str());
  return text;
}

TEST(AnalysisRun, ADeliveredShotLeavesItsRecordUnderItsValues) {
  RenderedSession session(Script("iron", "speed=45 hla=-2 vla=18 backspin=6000"));
  // Pictures of the installer's own stay in the club-path folder.
  fs::create_directories(session.directory() / "data" / "club_path" / "TT_marks");
  test_support::WriteBytes(
      (session.directory() / "data" / "club_path" / "TT_marks" / "a.bmp").string(), "mine");
  test_support::WriteBytes((session.directory() / "data" / "club_path" / "old.bmp").string(), "x");
  ASSERT_TRUE(session.Run(2, kTimeoutS));

  const auto records = session.Records();
  const ShotDirectory* main = Find(records, true);
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(main->Delivered()) << main->name;
  const auto delivered = session.Delivered();
  ASSERT_EQ(delivered.size(), 2u);  // both cameras' callbacks
  const ShotResultRecord& r =
      delivered[0].sensorType == SENSOR_MAIN ? delivered[0].record : delivered[1].record;
  char name[96];
  std::snprintf(name, sizeof name, "(TopMain)(S %.2f)(H %.2f)(V %.2f)",
                static_cast<double>(r.m_speed), static_cast<double>(r.m_HAngle),
                static_cast<double>(r.m_VAngle));
  EXPECT_NE(main->name.find(name), std::string::npos) << main->name;
  EXPECT_TRUE(main->Has("-> MY_PRODUCT_VERSION : 2.0.0.70 <-"));
  EXPECT_TRUE(main->Has("-> result - m_speed : "));

  const fs::path dir = session.directory() / "data" / main->name;
  const fs::path ini = dir / "shot.ini";
  EXPECT_EQ(IniValue(ini, "foundBallArea", "width"), "23");
  EXPECT_EQ(IniValue(ini, "clubType", "type"), "1");
  EXPECT_NE(IniValue(ini, "fps", "fpsForFrame2Frame").find('.'), std::string::npos);
  // The window was centred on the ball when it was struck.
  EXPECT_EQ(IniValue(ini, "window", "moved"), "1");
  for (const char* file :
       {"image_prev.bmp", "image_prev_a.bmp", "image_prev_b.bmp", "image_prev_c.bmp",
        "image_isRightHand.bmp", "image_0.bmp", "image_diff_first_0.bmp", "image_diff_second_0.bmp",
        "image_club_path_first_image.bmp", "log.txt"}) {
    EXPECT_TRUE(fs::exists(dir / file)) << file;
  }
  // The club path of the reporting camera's delivered shot: the four frames before the strike,
  // then the trigger frame and every shot frame with a speed.
  const fs::path clubPath = session.directory() / "data" / "club_path";
  int pictures = 0;
  while (fs::exists(clubPath / ("image_" + std::to_string(pictures) + ".bmp"))) ++pictures;
  int withSpeed = 1;
  while (session.core().mainCamera().m_balls[withSpeed].m_ball.m_speed != kNotMeasured) ++withSpeed;
  EXPECT_EQ(pictures, 4 + withSpeed);
  EXPECT_FALSE(fs::exists(clubPath / "old.bmp"));
  EXPECT_EQ(test_support::ReadBytes((clubPath / "TT_marks" / "a.bmp").string()), "mine");
}

// A right-handed putt is measured by the side camera, which reports it; the main camera gives
// it up, and the operator's main view still gets the record.
TEST(AnalysisRun, TheSideCameraReportsARightHandedPutt) {
  RenderedSession session(Script("putt", "speed=2.5 hla=1.0 vla=0 hand=right"));
  ASSERT_TRUE(session.Run(2, kTimeoutS, 12));
  const auto records = session.Records();
  const ShotDirectory* main = Find(records, true);
  const ShotDirectory* side = Find(records, false);
  ASSERT_NE(main, nullptr);
  ASSERT_NE(side, nullptr);
  EXPECT_TRUE(main->Refused()) << main->name;
  EXPECT_TRUE(
      main->Has("-> Putting - Right Hands Use Cam2 - HAngleTopSide : 1000.000000, speedTopSide : "
                "1000.000000 <-"));
  EXPECT_TRUE(side->Delivered()) << side->name;
  const auto delivered = session.Delivered();
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_EQ(delivered[0].record.m_speed, delivered[1].record.m_speed);
  EXPECT_EQ(delivered[0].record.m_clubType, CLUB_PUTTER);
  const auto codes = session.Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), clientlink::CODE_SHOT_RESULT), 1);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), clientlink::CODE_FLIGHT_PATH), 0);
}

// The main camera alone: without a side camera it delivers putts of either hand itself and
// refuses every full shot; with a side camera that never delivers it waits 202 frames first.
TEST(AnalysisRun, TheMainCameraWithoutTheSideCamerasResult) {
  struct Case {
    const char* name;
    const char* area;
    const char* shot;
    bool withPeer;
    bool delivered;
    int waitReads;
  };
  const Case cases[] = {
      {"full shot, no peer", "iron", "speed=45 hla=-2 vla=18", false, false, 0},
      {"right putt, no peer", "putt", "speed=2.5 hla=1 vla=0 hand=right", false, true, 0},
      {"full shot, silent peer", "iron", "speed=45 hla=-2 vla=18", true, false, 202},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    test_support::TempDir dir;
    for (const char* ini : {"setting_top.ini", "vangle_adj.ini"}) {
      fs::copy(fs::path(KESTRIX_DEMO_DIR) / ini, dir.path() / ini);
    }
    const fs::path previous = fs::current_path();
    fs::current_path(dir.path());
    const bool putt = std::string(c.area) == "putt";
    ASSERT_EQ(VarnokSimLoadScript(("fps free 500\ncameras 1\nseed 4\nat 1.0 place " +
                                   std::string(c.area) + "\nat 4.0 shot " + c.shot + "\nend 6\n")
                                      .c_str()),
              0);
    platform::SetMilliClockSource(&VarnokSimClockMs);  // free-running: the cameras' own time
    CMainCamera main;
    CSideCamera silent;  // never opened: it never measures anything
    if (putt) main.m_clubType = CLUB_PUTTER;
    if (c.withPeer) main.m_peer = &silent;
    std::atomic<int> records{0};
    FrameReads reads(main);
    ASSERT_TRUE(main.Open(dir.path().string().c_str(), SENSOR_MAIN));
    bool done = false;
    for (int i = 0; i < 3000 && !done; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      std::error_code ec;
      for (const auto& e : fs::directory_iterator(dir.path() / "data", ec)) {
        const std::string n = e.path().filename().string();
        done = done || (n.find("(TopMain)") != std::string::npos && n.back() != ')') ||
               n.find(")(S ") != std::string::npos;
      }
    }
    main.Stop();
    platform::SetMilliClockSource(nullptr);
    fs::current_path(previous);
    VarnokSimLoadScript(nullptr);
    ASSERT_TRUE(done);
    std::string name, log;
    for (const auto& e : fs::directory_iterator(dir.path() / "data")) {
      if (e.path().filename() == "club_path") continue;
      name = e.path().filename().string();
      log = test_support::ReadBytes((e.path() / "log.txt").string());
    }
    EXPECT_EQ(name.find("(S ") != std::string::npos, c.delivered) << name;
    EXPECT_EQ(log.find("-> No HAngle Cam2 <-\n-> No Ball <-") != std::string::npos, !c.delivered);
    EXPECT_EQ(reads.spare() - (putt ? kShotFrames - 1 : 0), c.waitReads);
  }
}

}  // namespace
