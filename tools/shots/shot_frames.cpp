#include "shot_frames.h"

#include <system_error>

#include "analysis/frame_dump.h"

namespace shots {
namespace fs = std::filesystem;
namespace {

// The largest frame a camera of this system delivers (the sensor's full height); a larger
// "dump" is some other file and would only cost memory.
constexpr int kLargestSide = 1224;
constexpr int kPreShotFrames = 4;

bool ReadFrame(const fs::path& file, int side, std::vector<uint8_t>* pixels, std::string* problem) {
  pixels->assign(static_cast<size_t>(side) * side, 0);
  return ReadFrameDump(file.string().c_str(), side, side, pixels->data(), problem);
}

// The club's end point is looked for in the frame the club-path picture is named after.
int ClubEndFrame(const fs::path& dir) {
  for (int m = 0; m <= 2; ++m) {
    std::error_code ec;
    const fs::path file = dir / ("image_club_path_second_image_" + std::to_string(m) + ".bmp");
    if (fs::exists(file, ec)) return m;
  }
  return 1;
}

}  // namespace

std::optional<ShotFrames> LoadShotFrames(const fs::path& dir, std::string* problem) {
  ShotFrames shot;
  shot.record = ReadShotRecord(dir);
  if (!shot.record.parts) {
    *problem = dir.string() + ": " + shot.record.problem;
    return std::nullopt;
  }
  const fs::path background = dir / "image_prev_c.bmp";
  std::error_code ec;
  const uintmax_t bytes = fs::file_size(background, ec);
  if (ec) {
    *problem = "cannot read " + background.string() + ": " + ec.message();
    return std::nullopt;
  }
  shot.side = bytes <= static_cast<uintmax_t>(FrameDumpBytes(kLargestSide, kLargestSide))
                  ? SquareFrameSideOfDump(static_cast<int64_t>(bytes))
                  : 0;
  if (shot.side == 0) {
    *problem = background.string() + " is " + std::to_string(bytes) +
               " bytes, not the frame dump of a square frame of at most " +
               std::to_string(kLargestSide) + " x " + std::to_string(kLargestSide);
    return std::nullopt;
  }
  shot.fps = shot.record.ini ? shot.record.ini->fps : 0;

  static const char* kPreShot[kPreShotFrames] = {"image_prev_c.bmp", "image_prev_b.bmp",
                                                 "image_prev_a.bmp", "image_prev.bmp"};
  for (int i = 0; i < kPreShotFrames; ++i) {
    ShotFrame frame;
    frame.index = i - kPreShotFrames;
    if (!ReadFrame(dir / kPreShot[i], shot.side, &frame.pixels, problem)) return std::nullopt;
    shot.frames.push_back(std::move(frame));
  }
  // The shot frames end at the first the track did not visit.
  for (int k = 0;; ++k) {
    const fs::path file = dir / ("image_" + std::to_string(k) + ".bmp");
    const bool there = fs::exists(file, ec);
    if (ec) {
      *problem = "cannot read " + file.string() + ": " + ec.message();
      return std::nullopt;
    }
    if (!there) {
      if (k == 0) {
        *problem = "no trigger frame " + file.string();
        return std::nullopt;
      }
      break;
    }
    ShotFrame frame;
    frame.index = k;
    if (!ReadFrame(file, shot.side, &frame.pixels, problem)) return std::nullopt;
    shot.frames.push_back(std::move(frame));
  }

  const ShotLog& log = shot.record.log;
  const int clubEndFrame = ClubEndFrame(dir);
  for (ShotFrame& frame : shot.frames) {
    for (const KeptBall& ball : log.keptBalls) {
      if (ball.frame == frame.index) frame.keptBall = ball;
    }
    // The club's start is looked for in the frame just before the trigger.
    if (frame.index == -1) frame.clubStart = log.clubStart;
    if (frame.index == clubEndFrame) frame.clubEnd = log.clubEnd;
  }
  return shot;
}

}  // namespace shots
