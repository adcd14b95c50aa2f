#include "scratch_installation.h"

#include <stdlib.h>

#include <system_error>

namespace shots {
namespace fs = std::filesystem;
namespace {

const char* const kSettingsFiles[] = {"setting_top.ini", "setting_top_side.ini", "vangle_adj.ini"};

bool CopySettings(const fs::path& from, const fs::path& to, std::string* error) {
  std::error_code ec;
  for (const char* name : kSettingsFiles) {
    fs::copy_file(from / name, to / name, ec);
    if (ec) {
      *error = "cannot copy " + (from / name).string() + ": " + ec.message();
      return false;
    }
  }
  // Without a flight table the sensor still measures; it sends paths of 0 points.
  if (fs::exists(from / "data.bi", ec)) fs::copy_file(from / "data.bi", to / "data.bi", ec);
  return true;
}

}  // namespace

ScratchInstallation::~ScratchInstallation() {
  std::error_code ignored;
  if (!keep_ && !dir_.empty()) fs::remove_all(dir_, ignored);
}

bool ScratchInstallation::Make(const fs::path& keep, const fs::path& settings, std::string* error) {
  std::error_code ec;
  if (!keep.empty()) {
    dir_ = fs::absolute(keep, ec);
    keep_ = true;
    fs::create_directories(dir_, ec);
    if (!fs::is_directory(dir_, ec) || !fs::is_empty(dir_, ec)) {
      *error = "the run directory " + dir_.string() + " must be new or empty";
      return false;
    }
  } else {
    std::string pattern = (fs::temp_directory_path(ec) / "kestrix-shots-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      *error = "cannot make a scratch directory in " + fs::temp_directory_path(ec).string();
      return false;
    }
    dir_ = pattern;
  }
  return CopySettings(settings, dir_, error);
}

std::optional<ShotRecord> FinishedRecord(const fs::path& data, const std::string& camera) {
  std::string ignored;
  const auto records = ReadDataFolder(data, &ignored);
  if (!records) return std::nullopt;
  for (const ShotRecord& r : *records) {
    if (r.parts && r.parts->camera == camera && r.outcome() != Outcome::kUnfinished) return r;
  }
  return std::nullopt;
}

}  // namespace shots
