// Stages of the analysis run on cameras set up in code: the frame-rate refusal and what a run
// leaves in its shot directory.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "analysis/frame_rate_check.h"
#include "shot_run_fixture.h"
#include "track_fixture.h"

namespace {

TEST(FrameRateCheck, TheThirdRefusalReportsTheCameraAndStartsCountingAgain) {
  RunOnCamera on;
  CMainCamera& camera = on.camera();
  struct Shot {
    float fps;
    Step step;
    int32_t outcome;
    int32_t countAfter;
  };
  // Not measured yet, fast enough, too slow twice, a good shot, too slow: the count survives the
  // good shot, so the third refusal is the camera's fault.
  const Shot shots[] = {
      {0.0f, Step::kGoOn, 0, 0},
      {380.0f, Step::kGoOn, 0, 0},
      {379.9f, Step::kEnd, ANALYSIS_NO_SHOT, 1},
      {300.0f, Step::kEnd, ANALYSIS_NO_SHOT, 2},
      {500.0f, Step::kGoOn, 0, 2},
      {200.0f, Step::kEnd, ANALYSIS_LOW_FPS, 0},
      {200.0f, Step::kEnd, ANALYSIS_NO_SHOT, 1},
  };
  for (const Shot& shot : shots) {
    SCOPED_TRACE(shot.fps);
    camera.m_capture.m_fpsForFrame2Frame = shot.fps;
    ShotRun run(camera);
    EXPECT_EQ(CheckFrameRate(run), shot.step);
    if (shot.step == Step::kEnd) {
      EXPECT_EQ(run.outcome, shot.outcome);
      EXPECT_STREQ(run.suffix, "(fps)---");
    }
    EXPECT_EQ(camera.m_analysis.lowFpsCount, shot.countAfter);
  }
}

std::set<std::string> FilesIn(const std::filesystem::path& dir) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

// Every frame the track looked at has its three pictures, and no frame after the one where it
// stopped: a ball kept for frames 0 to 3, then missed in frames 4 and 5.
TEST(ShotRecord, ARunEndingInFrameFiveHasThePicturesOfFramesZeroToFive) {
  DrawnShot shot(CLUB_IRON, 150, 240);
  for (int k = 0; k < 4; ++k) shot.Ball(k, 152, 220 - 25 * k);
  std::snprintf(shot.run.directory, sizeof shot.run.directory, "%s",
                shot.dir.path().string().c_str());
  ASSERT_EQ(shot.Track(), Step::kGoOn);
  ASSERT_EQ(shot.run.track.endFrame, 5);
  shot.run.WritePendingFiles();
  std::set<std::string> expected = {"log.txt", "image_isRightHand.bmp"};
  for (int k = 0; k <= 5; ++k) {
    for (const char* kind :
         {"image_%d.bmp", "image_diff_first_%d.bmp", "image_diff_second_%d.bmp"}) {
      char name[64];
      std::snprintf(name, sizeof name, kind, k);
      expected.insert(name);
    }
  }
  EXPECT_EQ(FilesIn(shot.dir.path()), expected);
  EXPECT_EQ(std::filesystem::file_size(shot.dir.path() / "image_5.bmp"), 102520u);
}

}  // namespace
