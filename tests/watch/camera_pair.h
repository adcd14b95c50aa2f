// Two game cameras wired as peers, each looking at its own drawn mat with one club area around the
// spot where centring the window puts a ball. The cameras do not stream, so the window moves do
// nothing: the ball is drawn at that spot and the window counts as centred from the start.
#pragma once

#include "support/camera_fixture.h"
#include "watch/club_areas.h"

inline constexpr uint8_t kWatchBall = 200;
inline constexpr CRectT kBallSpot{160, 240, 17, 17, 0};  // column W/2, row H - 80
inline constexpr CRectT kMatArea{100, 200, 120, 80, 0};
inline constexpr CRectT kFarTee{10, 10, 40, 40, 0};

struct CameraPair {
  CameraOnFrame main{SENSOR_MAIN};
  CameraOnFrame side{SENSOR_SIDE};

  explicit CameraPair(int32_t clubType = CLUB_IRON) {
    main.camera.m_peer = &side.camera;
    side.camera.m_peer = &main.camera;
    UseClub(main, clubType);
    UseClub(side, clubType);
    PutBall(main);
    PutBall(side);
  }

  // The club's area covers the ball; the tee lies far away unless the club is the driver.
  static void UseClub(CameraOnFrame& bay, int32_t clubType) {
    CMainCamera& cam = bay.camera;
    cam.m_clubType = clubType;
    SetClubArea(cam, CLUB_DRIVER, kFarTee);
    SetClubArea(cam, clubType, kMatArea);
    cam.m_windowMoved = true;
  }
  static void PutBall(CameraOnFrame& bay, uint8_t value = kWatchBall) {
    bay.frame.Fill(kBallSpot, value);
    bay.Show();
  }
  static void RemoveBall(CameraOnFrame& bay) { PutBall(bay, 0); }

  // One frame on both cameras, the main camera first.
  void Step(int frames = 1) {
    for (int i = 0; i < frames; ++i) {
      main.camera.WatchFrame();
      side.camera.WatchFrame();
    }
  }
};

// Runs frames on one camera alone.
inline void RunFrames(CMainCamera& camera, int frames) {
  for (int i = 0; i < frames; ++i) camera.WatchFrame();
}
