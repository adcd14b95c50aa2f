#include "run_directory.h"

#include <stdlib.h>

#include <array>
#include <fstream>
#include <string_view>

namespace accuracy {

namespace fs = std::filesystem;

namespace {

// A stale truth file would give this run's deliveries to an old run's shots, and a stale putter
// flag would start the sensor with the putter.
constexpr std::array<std::string_view, 9> kRunOutputs = {
    "sim_truth.jsonl", "putter.txt", "sensor.jsonl", "sensor.log", "client.jsonl",
    "client.err",      "endpoints",  "data",         "data.bi"};

bool IsRunOutput(const fs::path& name) {
  for (std::string_view output : kRunOutputs) {
    if (name == output) return true;
  }
  return false;
}

}  // namespace

std::optional<fs::path> MakeRunDirectory(const std::string& keep, std::string* error) {
  std::error_code ec;
  if (keep.empty()) {
    std::string pattern = (fs::temp_directory_path(ec) / "kestrix-accuracy-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      *error = "cannot make a scratch directory in " + fs::temp_directory_path(ec).string();
      return std::nullopt;
    }
    return fs::path(pattern);
  }
  const fs::path dir = fs::absolute(keep, ec);
  fs::create_directories(dir, ec);
  if (!fs::is_directory(dir, ec)) {
    *error = "cannot make the run directory " + dir.string();
    return std::nullopt;
  }
  if (!fs::is_empty(dir, ec)) {
    *error = "the run directory " + dir.string() + " is not empty";
    return std::nullopt;
  }
  return dir;
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  if (!keep && !dir.empty()) fs::remove_all(dir, ignored);
}

std::optional<fs::path> FindScript(const std::string& given, const fs::path& demo) {
  std::error_code ec;
  const fs::path path(given);
  if (given.empty()) return std::nullopt;
  if (fs::is_regular_file(path, ec)) return path;
  if (!path.has_parent_path() && fs::is_regular_file(demo / path, ec)) return demo / path;
  return std::nullopt;
}

bool FillRunDirectory(const fs::path& dir, const fs::path& demo, const fs::path& dataBi,
                      const std::string& scriptName, const std::string& scriptText,
                      std::string* error) {
  std::error_code ec;
  fs::directory_iterator entries(demo, ec);
  if (ec) {
    *error = "cannot read the demo installation " + demo.string() + ": " + ec.message();
    return false;
  }
  for (const fs::directory_entry& entry : entries) {
    if (IsRunOutput(entry.path().filename())) continue;
    fs::copy(entry.path(), dir / entry.path().filename(), fs::copy_options::recursive, ec);
    if (ec) {
      *error = "cannot copy " + entry.path().string() + ": " + ec.message();
      return false;
    }
  }
  fs::copy_file(dataBi, dir / "data.bi", ec);
  if (ec) {
    *error = "cannot copy the flight table " + dataBi.string() + ": " + ec.message();
    return false;
  }
  std::ofstream script(dir / scriptName, std::ios::binary | std::ios::trunc);
  script << scriptText;
  if (!script.flush()) {
    *error = "cannot write " + (dir / scriptName).string();
    return false;
  }
  return true;
}

}  // namespace accuracy
