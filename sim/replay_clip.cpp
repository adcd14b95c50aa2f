#include "replay_clip.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "analysis/frame_dump.h"

namespace sim {
namespace {

// The script is parsed inside the sensor's process: every file system call here reports through
// an error_code, since an exception would end the sensor.
bool FrameFileSize(const std::filesystem::path& path, uintmax_t& size, std::string& error) {
  std::error_code ec;
  size = std::filesystem::file_size(path, ec);
  if (ec) {
    error = "cannot read " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

bool ReadFrame(const std::filesystem::path& path, ReplayClip& clip, std::string& error) {
  uintmax_t size = 0;
  if (!FrameFileSize(path, size, error)) return false;
  // The first frame, the background, sets the size every other frame must have. A larger square
  // than the sensor's height could never be shown, and its size alone could ask for terabytes.
  if (clip.width == 0) {
    const int32_t side =
        size <= static_cast<uintmax_t>(FrameDumpBytes(kMaxReplaySide, kMaxReplaySide))
            ? SquareFrameSideOfDump(static_cast<int64_t>(size))
            : 0;
    if (side == 0) {
      error = path.string() + " is " + std::to_string(size) +
              " bytes, not the frame dump of a square frame of at most " +
              std::to_string(kMaxReplaySide) + " x " + std::to_string(kMaxReplaySide);
      return false;
    }
    clip.width = clip.height = side;
  }
  // Checked before anything is allocated; the reader checks again against a file changed since.
  const int64_t expected = FrameDumpBytes(clip.width, clip.height);
  if (size != static_cast<uintmax_t>(expected)) {
    error = path.string() + " is " + std::to_string(size) + " bytes, a " +
            std::to_string(clip.width) + " x " + std::to_string(clip.height) + " frame dump has " +
            std::to_string(expected);
    return false;
  }
  std::vector<uint8_t> frame(static_cast<size_t>(clip.width) * clip.height);
  if (!ReadFrameDump(path.string().c_str(), clip.width, clip.height, frame.data(), &error)) {
    return false;
  }
  clip.frames.push_back(std::move(frame));
  return true;
}

}  // namespace

bool LoadReplayClip(const std::string& dir, ReplayClip& clip, std::string& error) {
  clip = ReplayClip{};
  const std::filesystem::path base(dir);
  for (const char* name : {"image_prev_c.bmp", "image_prev_b.bmp", "image_prev_a.bmp",
                           "image_prev.bmp", "image_0.bmp"}) {
    if (!ReadFrame(base / name, clip, error)) return false;
  }
  for (int k = 1;; ++k) {
    char name[32];
    std::snprintf(name, sizeof name, "image_%d.bmp", k);
    const std::filesystem::path path = base / name;
    // The frames end at the first that is not there; one that cannot even be looked at (a
    // symlink loop, no permission) is an error like one that cannot be read.
    std::error_code ec;
    const bool there = std::filesystem::exists(path, ec);
    if (ec) {
      error = "cannot read " + path.string() + ": " + ec.message();
      return false;
    }
    if (!there) break;
    if (!ReadFrame(path, clip, error)) return false;
  }
  return true;
}

const std::vector<uint8_t>& ReplayFrame(const ReplayClip& clip, int64_t k) {
  if (k < kReplayLeadFrames) return clip.frames.front();
  const int64_t i = k - kReplayLeadFrames + 1;
  const auto last = static_cast<int64_t>(clip.frames.size()) - 1;
  return clip.frames[static_cast<size_t>(i < last ? i : last)];
}

bool PlayReplay(const SessionPlan& plan, CameraRole role, const FrameClock& clock, int64_t n,
                double t, uint8_t* out, int width, int height) {
  if (!plan.has_replay || t < plan.replay_t - 1e-9) return false;
  const ReplayClip& clip = plan.replay[static_cast<int>(role)];
  const std::vector<uint8_t>& frame = ReplayFrame(clip, n - clock.FirstAtOrAfter(plan.replay_t));
  const int w = std::min(width, clip.width), h = std::min(height, clip.height);
  std::memset(out, 0, static_cast<size_t>(width) * height);
  for (int y = 0; y < h; ++y) {
    std::memcpy(out + static_cast<size_t>(y) * width,
                frame.data() + static_cast<size_t>(y) * clip.width, static_cast<size_t>(w));
  }
  return true;
}

}  // namespace sim
