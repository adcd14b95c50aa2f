// The recorded result of a shot beside the one the sensor's analysis gives again on its frames, and
// where the two runs part. The analysis is deterministic but for the speed jitter (an offset
// from a table whose place moves on with every shot, and the clock), which reaches the speed
// and, through the merged speed, the back spin: the comparison says when that is all that moved.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "reanalysis_run.h"
#include "shot_record.h"

namespace shots {

enum class Agreement {
  kExact,          // same values, same logs
  kJitterOnly,     // the logs agree up to the speed jitter of a camera
  kDiffers,        // they part earlier: first says where
  kNotReanalysed,  // the sensor left no record to compare
};

struct LogComparison {
  std::string camera;
  bool agreeToJitter = false;  // identical up to the first line the jitter reaches
  bool identical = false;
  std::string firstDifference;  // "line 3: recorded ... / reanalysed ..."
  std::optional<double> recordedJitter, reanalysedJitter;
};

struct ShotValues {
  ResultLine values;
  std::optional<int> pathClass;
  int clubType = -1;
  Outcome outcome = Outcome::kUnfinished;
};

struct Reanalysis {
  std::string mainName, sideName;
  std::optional<ShotValues> recorded, reanalysed;  // of the camera that reports the shot
  std::vector<LogComparison> logs;
  Agreement agreement = Agreement::kNotReanalysed;
  std::vector<std::string> notes;
  std::string error;
};

// The result of the camera that reports the shot: the main camera, or the side camera for the
// putt it reports; nothing when neither delivered.
std::optional<ShotValues> ShotResultOf(const std::optional<ShotRecord>& main,
                                       const std::optional<ShotRecord>& side);

Reanalysis Compare(const ShotRecord& main, const ShotRecord& side, const RunResult& run);

std::string FormatReanalysis(const Reanalysis& r, const std::string& settings);

// One row per shot and the mean change of every quantity over the shots both runs measured.
std::string FormatReanalysisTable(const std::vector<Reanalysis>& shots,
                                  const std::string& settings);

// Main and side records of the same shots: the same second (or the next) and club type, the
// nearest in time of ending. Shots delivered by either camera, oldest first.
std::vector<std::pair<ShotRecord, ShotRecord>> PairDeliveredShots(
    const std::vector<ShotRecord>& records);

}  // namespace shots
