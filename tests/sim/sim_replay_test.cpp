// Replay of recorded shot directories, and the shipped demo installation.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/frame_dump.h"
#include "installation.h"
#include "replay_clip.h"
#include "session_plan.h"
#include "sim_component.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBottomPixel = 300 * 320 + 7;  // in the bottom quarter, which a dump stores first

// A shot directory of frame dumps with distinct values: background 10, then 20, 30, ...; the
// bottom quarter of each frame 5 brighter, so a misread layout shows.
void WriteShotDir(const fs::path& dir, int shot_frames, int side) {
  fs::create_directories(dir);
  std::vector<std::string> names = {"image_prev_c.bmp", "image_prev_b.bmp", "image_prev_a.bmp",
                                    "image_prev.bmp"};
  for (int k = 0; k < shot_frames; ++k) names.push_back("image_" + std::to_string(k) + ".bmp");
  for (size_t i = 0; i < names.size(); ++i) {
    std::vector<uint8_t> frame(static_cast<size_t>(side) * side,
                               static_cast<uint8_t>(10 * (i + 1)));
    for (size_t p = frame.size() / 4 * 3; p < frame.size(); ++p) frame[p] += 5;
    ASSERT_TRUE(WriteFrameDump(frame.data(), side, side, (dir / names[i]).string().c_str()));
  }
}

fs::path WriteEmpty(const fs::path& path) {
  std::ofstream(path, std::ios::binary).flush();
  return path;
}

TEST(Replay, PlaysBackgroundThenTheRecordedFramesInBothCameras) {
  const fs::path root = fs::temp_directory_path() / "varnok_replay_test";
  fs::remove_all(root);
  WriteShotDir(root / "main", 5, 320);
  WriteShotDir(root / "side", 5, 320);
  sim::SessionPlan plan;
  std::string error;
  ASSERT_TRUE(sim::ParseSessionScript(
      "fps free\nreplay " + (root / "main").string() + " " + (root / "side").string() + "\n", plan,
      error))
      << error;
  sim::SimComponent component(std::move(plan), true);
  for (int id = 0; id < 2; ++id) {
    ASSERT_EQ(component.Open(id), 0);
    ASSERT_EQ(component.SetRoi(id, 320, 320, 1, 3), 0);
    ASSERT_EQ(component.StartCapture(id), 0);
  }
  std::vector<uint8_t> frame(320 * 320);
  std::vector<int> seen[2], seenBottom[2];
  const int total = sim::kReplayLeadFrames + 12;
  for (int n = 0; n < total; ++n) {
    for (int id = 0; id < 2; ++id) {
      ASSERT_EQ(component.Read(id, frame.data(), 320 * 320, 1000), 0);
      if (n >= sim::kReplayLeadFrames - 2) {
        seen[id].push_back(frame[12345]);
        seenBottom[id].push_back(frame[kBottomPixel]);
      }
    }
  }
  const std::vector<int> expected = {10, 10, 20, 30, 40, 50, 60, 70, 80, 90, 90, 90, 90, 90};
  std::vector<int> expectedBottom = expected;
  for (int& v : expectedBottom) v += 5;
  for (int id = 0; id < 2; ++id) {
    EXPECT_EQ(seen[id], expected);
    EXPECT_EQ(seenBottom[id], expectedBottom);
  }
  fs::remove_all(root);
}

TEST(Replay, RefusesMissingOrOddFrames) {
  const fs::path root = fs::temp_directory_path() / "varnok_replay_bad";
  fs::remove_all(root);
  WriteShotDir(root / "short", 0, 320);
  WriteShotDir(root / "odd", 3, 320);
  std::ofstream(root / "odd" / "image_1.bmp", std::ios::binary) << std::string(1000, 'x');
  WriteShotDir(root / "mixed", 3, 320);
  WriteShotDir(root / "small", 1, 160);
  fs::copy_file(root / "small" / "image_0.bmp", root / "mixed" / "image_2.bmp",
                fs::copy_options::overwrite_existing);
  // Frames stored raw, as a plain 320 x 320 byte image each, are not shot records.
  fs::create_directories(root / "raw");
  std::ofstream(root / "raw" / "image_prev_c.bmp", std::ios::binary) << std::string(320 * 320, 'x');
  struct Case {
    const char* dir;
    std::string reason;
  };
  const Case cases[] = {
      {"short", "image_0.bmp"},
      {"odd", "image_1.bmp is 1000 bytes, a 320 x 320 frame dump has 102520"},
      {"mixed", "image_2.bmp is 25720 bytes, a 320 x 320 frame dump has 102520"},
      {"raw", "image_prev_c.bmp is 102400 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    sim::ReplayClip clip;
    std::string error;
    EXPECT_FALSE(sim::LoadReplayClip((root / c.dir).string(), clip, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  fs::remove_all(root);
}

// The script is parsed inside the sensor's process: a recording that cannot be looked at, or
// whose size would ask for a terabyte, is a script error with its line, never an exception.
TEST(Replay, BrokenRecordingsAreScriptErrors) {
  const fs::path root = fs::temp_directory_path() / "varnok_replay_broken";
  fs::remove_all(root);
  WriteShotDir(root / "good", 2, 320);
  WriteShotDir(root / "loop", 2, 320);
  fs::remove(root / "loop" / "image_1.bmp");
  fs::create_symlink("image_1.bmp", root / "loop" / "image_1.bmp");
  fs::create_directory_symlink("self", root / "self");
  fs::create_directories(root / "big");
  // Sparse files: the size of the dump of a 2^20 pixel square, and a terabyte shot frame.
  fs::resize_file(WriteEmpty(root / "big" / "image_prev_c.bmp"), FrameDumpBytes(1 << 20, 1 << 20));
  WriteShotDir(root / "huge", 2, 320);
  fs::resize_file(root / "huge" / "image_1.bmp", uintmax_t{1} << 40);
  // One side more than the sensor can show.
  WriteShotDir(root / "wide", 0, sim::kMaxReplaySide + 2);
  struct Case {
    const char* dir;
    std::string reason;
  };
  const Case cases[] = {
      {"loop", "cannot read " + (root / "loop" / "image_1.bmp").string()},
      {"self", "cannot read " + (root / "self" / "image_prev_c.bmp").string()},
      {"big", "image_prev_c.bmp is 1099511627896 bytes, not the frame dump of a square frame"},
      {"huge", "image_1.bmp is 1099511627776 bytes, a 320 x 320 frame dump has 102520"},
      {"wide", "of at most 1224 x 1224"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.dir);
    sim::SessionPlan plan;
    std::string error;
    const std::string script =
        "fps 500\nat 1 replay " + (root / "good").string() + " " + (root / c.dir).string() + "\n";
    EXPECT_FALSE(sim::ParseSessionScript(script, plan, error));
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
  }
  fs::remove_all(root);
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(DemoData, SettingsFilesAreThoseOfTheInstallationAndScriptsParse) {
  const fs::path demo(KESTRIX_DEMO_DIR);
  for (const auto role : {sim::CameraRole::kMain, sim::CameraRole::kSide}) {
    EXPECT_EQ(ReadFile(demo / sim::SettingsFileName(role)),
              sim::SettingsFileText(sim::CalibratedInstallation(role)))
        << "regenerate with: kestrix-sim settings --out data/demo";
  }
  EXPECT_EQ(ReadFile(demo / sim::kVAngleAdjFileName), sim::VAngleAdjFileText());
  int scripts = 0;
  for (const auto& entry : fs::directory_iterator(demo)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().string());
    sim::SessionPlan plan;
    std::string error;
    EXPECT_TRUE(sim::ParseSessionScript(ReadFile(entry.path()), plan, error)) << error;
    ++scripts;
  }
  EXPECT_GE(scripts, 9);
}

}  // namespace
