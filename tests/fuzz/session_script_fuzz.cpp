// Session scripts as any text. The simulated component parses its script inside the sensor's
// process, so a script that is refused must be refused with its line, never by a crash; one that
// parses must give frame clocks, scenes and truth lines that hold together.
//
// Replays read directories: the script's relative paths resolve in a scratch directory that holds
// a small good recording "r" and the broken ones the parser must refuse ("loop": a frame that is
// a symlink loop, "big": a 1 TiB background, "huge": a 1 TiB shot frame, "self": a directory
// that is a symlink to itself).
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/frame_dump.h"
#include "frame_clock.h"
#include "fuzz_support.h"
#include "replay_clip.h"
#include "scene_snapshot.h"
#include "session_plan.h"
#include "truth_log.h"

namespace {

namespace fs = std::filesystem;

constexpr int kSide = 4;
constexpr size_t kMaxEventsLooked = 32;
// Every time and duration a script gives lies within a week, so a slow period ends, and the frame
// after it is due, within two.
constexpr double kWeek = 7 * 24 * 3600.0;
constexpr double kLatestTime = 2 * kWeek + 1;

void WriteFrame(const fs::path& path, uint8_t shade) {
  const std::vector<uint8_t> frame(kSide * kSide, shade);
  FUZZ_CHECK(WriteFrameDump(frame.data(), kSide, kSide, path.c_str()), "fixture frame written");
}

void WriteRecording(const fs::path& dir, int shotFrames) {
  fs::create_directories(dir);
  uint8_t shade = 10;
  for (const char* name :
       {"image_prev_c.bmp", "image_prev_b.bmp", "image_prev_a.bmp", "image_prev.bmp"}) {
    WriteFrame(dir / name, shade += 10);
  }
  for (int k = 0; k < shotFrames; ++k) {
    WriteFrame(dir / ("image_" + std::to_string(k) + ".bmp"), shade += 10);
  }
}

void SparseFile(const fs::path& path, int64_t bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  FUZZ_CHECK(fd >= 0 && ::ftruncate(fd, bytes) == 0 && ::close(fd) == 0, "sparse fixture made");
}

const fs::path& Fixtures() {
  static const fs::path* const dir = [] {
    auto* root = new fs::path(fuzz::ScratchDir() / "replays");
    WriteRecording(*root / "r", 3);
    WriteRecording(*root / "loop", 1);
    fs::create_symlink("image_1.bmp", *root / "loop" / "image_1.bmp");
    fs::create_directories(*root / "big");
    // The dump of a square frame 2^20 pixels wide: a size that names a frame, a terabyte of it.
    SparseFile(*root / "big" / "image_prev_c.bmp", FrameDumpBytes(1 << 20, 1 << 20));
    WriteRecording(*root / "huge", 1);
    SparseFile(*root / "huge" / "image_1.bmp", int64_t{1} << 40);
    fs::create_directory_symlink("self", *root / "self");
    return root;
  }();
  return *dir;
}

void CheckClock(const sim::SessionPlan& plan, sim::CameraRole role, const std::vector<double>& at) {
  const sim::FrameClock clock(plan, role);
  for (double t : at) {
    const int64_t latest = clock.LatestAt(t);
    const int64_t first = clock.FirstAtOrAfter(t);
    FUZZ_CHECK(latest >= -1 && first >= 0, "frames count from 0");
    FUZZ_CHECK(first == latest || first == latest + 1, "the first frame at t follows the last");
    const double due = clock.TimeOf(first);
    FUZZ_CHECK(std::isfinite(due) && due >= t - 1e-6 && due <= kLatestTime,
               "the first frame at t is due at t or soon after");
    if (latest >= 0) FUZZ_CHECK(clock.TimeOf(latest) <= t + 1e-6, "the last frame is due by t");
    FUZZ_CHECK(clock.TimeOf(first + 1) > due, "the next frame is due later");
    FUZZ_CHECK(clock.LatestAt(due) == first, "a frame is the last one due at its own time");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const fs::path& fixtures = Fixtures();

  // Into the fixtures only for the parse: libFuzzer's own paths stay as they were given.
  static const fs::path home = fs::current_path();
  FUZZ_CHECK(::chdir(fixtures.c_str()) == 0, "into the fixtures");
  sim::SessionPlan plan;
  std::string error;
  const bool parsed = sim::ParseSessionScript(text, plan, error);
  FUZZ_CHECK(::chdir(home.c_str()) == 0, "back from the fixtures");

  if (!parsed) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0, "a refusal names its line");
    const int line = std::atoi(error.c_str() + 5);
    int lines = 1;
    for (char c : text) lines += c == '\n';
    FUZZ_CHECK(line >= 1 && line <= lines, "the line named is in the script");
    return 0;
  }

  FUZZ_CHECK(plan.fps >= 1 && plan.fps <= 10000, "a frame rate a camera can run");
  FUZZ_CHECK(plan.end_t >= 0 && plan.end_t <= kWeek, "an end within the bound");
  std::vector<double> at = {0.0, plan.end_t};
  double previous = 0;
  for (const sim::SessionEvent& e : plan.events) {
    FUZZ_CHECK(std::isfinite(e.t) && e.t >= previous && e.t <= kWeek && e.duration >= 0 &&
                   e.duration <= kWeek,
               "events in time order within the bound");
    previous = e.t;
    if (at.size() < kMaxEventsLooked) {
      at.push_back(e.t);
      at.push_back(e.t + e.duration);
    }
    if (e.kind == sim::EventKind::kSlow) {
      FUZZ_CHECK(e.value >= 1 && e.value <= 10000, "a slow rate a camera can run");
    }
    if (e.kind == sim::EventKind::kFailRead) {
      FUZZ_CHECK(e.value > 0 && e.value <= kWeek, "a read fault within the bound");
    }
  }
  if (plan.has_replay) {
    at.push_back(plan.replay_t);
    for (const sim::ReplayClip& clip : plan.replay) {
      FUZZ_CHECK(!clip.frames.empty(), "a replay has its background");
      for (int64_t k :
           {int64_t{-1}, int64_t{0}, int64_t{sim::kReplayLeadFrames}, int64_t{1} << 40}) {
        FUZZ_CHECK(sim::ReplayFrame(clip, k).size() ==
                       static_cast<size_t>(clip.width) * static_cast<size_t>(clip.height),
                   "every replay frame has the background's size");
      }
    }
  }
  CheckClock(plan, sim::CameraRole::kMain, at);
  CheckClock(plan, sim::CameraRole::kSide, at);

  sim::SceneSnapshot scene;
  for (size_t i = 0; i < plan.events.size() && i < kMaxEventsLooked; ++i) {
    const sim::SessionEvent& e = plan.events[i];
    for (double dt : {0.0, 0.004, 0.05, 0.5}) {
      sim::SceneAt(plan, e.t + dt, scene);
      FUZZ_CHECK(scene.ball_count <= sim::SceneSnapshot::kMaxBalls &&
                     scene.club_count <= sim::SceneSnapshot::kMaxClubs,
                 "a scene within its capacity");
    }
    if (e.kind == sim::EventKind::kShot || e.kind == sim::EventKind::kSwing) {
      const std::string line = sim::TruthLine(e);
      FUZZ_CHECK(line.size() > 2 && line.front() == '{' && line.back() == '}',
                 "a truth line is one JSON object");
    }
  }
  return 0;
}
