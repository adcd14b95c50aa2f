#include "replay_clip.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "analysis/frame_dump.h"

namespace sim {
namespace {

bool ReadFrame(const std::filesystem::path& path, ReplayClip& clip, std::string& error) {
  // The first frame, the background, sets the size every other frame must have.
  if (clip.width == 0) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) {
      error = "cannot read " + path.string() + ": " + ec.message();
      return false;
    }
    const int32_t side = SquareFrameSideOfDump(static_cast<int64_t>(size));
    if (side == 0) {
      error = path.string() + " is " + std::to_string(size) +
              " bytes, not the frame dump of a square frame";
      return false;
    }
    clip.width = clip.height = side;
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
    if (!std::filesystem::exists(base / name)) break;
    if (!ReadFrame(base / name, clip, error)) return false;
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
