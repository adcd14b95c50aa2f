// A shot drawn in code for the ball track: a mat, the ball at rest in the background frame, and
// shot frames in which the test paints what moved. The camera is set up as the watch leaves it
// when it fires the analysis.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "analysis/ball_track.h"
#include "analysis/shot_run.h"
#include "support/camera_fixture.h"
#include "support/temp_dir.h"

inline constexpr uint8_t kMatTone = 40;
inline constexpr uint8_t kBallTone = 220;
inline constexpr int32_t kBallSize = 21;

struct DrawnShot {
  CameraOnFrame fixture;
  test_support::TempDir dir;
  TestFrame background;
  std::vector<TestFrame> frames;
  ShotRun run;

  // A ball at rest with its top-left corner at (x, y), as the watch found it for this club type.
  DrawnShot(int32_t clubType, int32_t x, int32_t y, int32_t hand = HAND_RIGHT)
      : background(320, 320, kMatTone), run(fixture.camera) {
    CMainCamera& camera = fixture.camera;
    camera.m_clubType = clubType;
    camera.isRightHand = hand;
    camera.SetMeter(42);
    camera.m_foundBallArea = MakeRect(x, y, 23, 17);
    const int32_t top = clubType == CLUB_DRIVER ? 0 : 64;
    camera.m_ballCheckArea = clubType == CLUB_PUTTER ? MakeRect(x + 8 - 50, y - 144, 100, 140)
                                                     : MakeRect(40, top, 240, y - top - 4);
    background.Fill(x, y, kBallSize, kBallSize, kBallTone);
    run.frameCount = clubType == CLUB_BUNKER ? kBunkerShotFrames : kShotFrames;
    frames.assign(static_cast<size_t>(run.frameCount), TestFrame(320, 320, kMatTone));
    std::snprintf(run.logPath, sizeof run.logPath, "%s", dir.File("log.txt").c_str());
  }

  // The ball still at its place in frame k (an empty swing leaves it there).
  void KeepAtRest(int k) {
    const CRectT& f = fixture.camera.m_foundBallArea;
    frames[static_cast<size_t>(k)].Fill(f.m_x, f.m_y, kBallSize, kBallSize, kBallTone);
  }
  void Ball(int k, int32_t x, int32_t y) {
    frames[static_cast<size_t>(k)].Fill(x, y, kBallSize, kBallSize, kBallTone);
  }

  Step Track() {
    CMainCamera& camera = fixture.camera;
    std::memcpy(camera.m_buffers.preShot[kPreShotFrames - 1].get(), background.data(),
                background.pixels.size());
    for (size_t k = 0; k < frames.size(); ++k) {
      std::memcpy(run.ShotFrame(static_cast<int32_t>(k)), frames[k].data(),
                  frames[k].pixels.size());
    }
    for (CBalls& slot : camera.m_balls) slot = CBalls{};
    SetUpBallTrack(run);
    return TrackBall(run);
  }

  const CBall& Kept(int k) const { return fixture.camera.m_balls[k].m_ball; }
  bool HasKept(int k) const { return Kept(k).m_rect.m_x > 0 && Kept(k).m_rect.m_y > 0; }
  std::string Log() const { return test_support::ReadBytes(run.logPath); }
};
