// One shot directory read back: its name, shot.ini and log.txt. A directory that cannot be read
// as a shot record still gives a record, with the reason, so a listing never stops at it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "shot_log.h"
#include "shot_name_parts.h"

namespace shots {

struct Box {
  int x = 0, y = 0, width = 0, height = 0;
};

// Where the capture window stood: centred on the ball (moved) and by how much from its home.
struct WindowPlace {
  bool moved = false;
  int shiftX = 0, shiftY = 0;
};

// shot.ini: where the ball lay and the areas the run used, its club type and frame rate, and
// where the window stood (not in records of sensors before it was written).
struct ShotIni {
  Box foundBallArea, triggerArea, ballCheckArea;
  int clubType = 0;
  double fps = 0;
  std::optional<WindowPlace> window;
};

struct ShotRecord {
  std::filesystem::path path;
  std::string name;
  std::optional<ShotNameParts> parts;
  std::optional<ShotIni> ini;
  ShotLog log;
  std::filesystem::file_time_type lastWrite{};  // of log.txt: orders runs of one second
  // Empty for a readable record; else why it is not one (or what is missing from it).
  std::string problem;

  Outcome outcome() const { return parts ? parts->outcome : Outcome::kUnfinished; }
  bool Delivered() const { return problem.empty() && outcome() == Outcome::kDelivered; }
};

// "tee", "iron", "putter", "rough", "bunker"; the number for any other code.
std::string ClubAreaText(int clubType);

// Reads shot.ini with the sensor's own profile reader. Nothing, with the reason, when a key is
// missing or not a number.
std::optional<ShotIni> ReadShotIni(const std::filesystem::path& file, std::string* problem);

ShotRecord ReadShotRecord(const std::filesystem::path& dir);

// Every entry of the data folder but the club_path folder, oldest first; entries whose name
// tells no time come last. Nothing, with the reason, when the folder cannot be read.
std::optional<std::vector<ShotRecord>> ReadDataFolder(const std::filesystem::path& folder,
                                                      std::string* problem);

}  // namespace shots
