// The frames of one shot directory in the order they were taken: the four before the trigger,
// the trigger frame and every shot frame the track visited, each with what the log says of it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shot_record.h"

namespace shots {

struct ShotFrame {
  int index = 0;  // -4 .. -1 before the trigger, 0 the trigger frame, then the shot frames
  std::vector<uint8_t> pixels;
  std::optional<KeptBall> keptBall;
  std::optional<PixelPoint> clubStart, clubEnd;
};

struct ShotFrames {
  ShotRecord record;
  int side = 0;  // frames are side x side pixels
  double fps = 0;
  std::vector<ShotFrame> frames;
};

// Nothing, with the reason naming the file, when a frame the directory should hold is missing
// or is not the dump of a frame of the background's size.
std::optional<ShotFrames> LoadShotFrames(const std::filesystem::path& dir, std::string* problem);

}  // namespace shots
