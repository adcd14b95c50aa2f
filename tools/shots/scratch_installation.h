// The installation a re-analysis runs in: a new directory with copies of the settings to try,
// where the analysis leaves its records; removed when the run ends unless it is to be kept.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "shot_record.h"

namespace shots {

class ScratchInstallation {
 public:
  ScratchInstallation() = default;
  ~ScratchInstallation();
  ScratchInstallation(const ScratchInstallation&) = delete;
  ScratchInstallation& operator=(const ScratchInstallation&) = delete;

  // In keep (which must be new or empty) or else a new temporary directory, with the settings
  // files of the settings directory. False with the reason when either cannot be.
  bool Make(const std::filesystem::path& keep, const std::filesystem::path& settings,
            std::string* error);
  const std::filesystem::path& dir() const { return dir_; }
  std::filesystem::path data() const { return dir_ / "data"; }

 private:
  std::filesystem::path dir_;
  bool keep_ = false;
};

// The record of a camera ("TopMain", "TopSide") that a run in data has closed, oldest first.
std::optional<ShotRecord> FinishedRecord(const std::filesystem::path& data,
                                         const std::string& camera);

}  // namespace shots
