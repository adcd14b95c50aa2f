// What the name of a shot directory tells: when the run began, which camera ran it and how it
// ended. The sensor renames the directory after the outcome, so a listing reads like a history.
#pragma once

#include <optional>
#include <string>

namespace shots {

enum class Outcome {
  kDelivered,     // "(S speed)(H angle)(V angle)"
  kNoShot,        // "---": ball lost, refused by a rule, frame read failed
  kEmptySwing,    // "---" with the empty-swing line in the log
  kLowFrameRate,  // "(fps)---"
  kUnfinished,    // no suffix yet: the run is going on or ended without renaming
};

const char* OutcomeText(Outcome outcome);

struct ShotNameParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::string camera;  // "TopMain" or "TopSide"
  Outcome outcome = Outcome::kUnfinished;
  // The delivered values the name carries, rounded to two decimals.
  double speed = 0, hAngle = 0, vAngle = 0;

  // "2026-12-11 14:38:40": sorts as the time does.
  std::string TimeText() const;
};

// Nothing when the name is not one the sensor gives (another folder, a file copied in). An
// empty-swing run is named like any other refusal; the log tells them apart.
std::optional<ShotNameParts> ParseShotName(const std::string& name);

}  // namespace shots
