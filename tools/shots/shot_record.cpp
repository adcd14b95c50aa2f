#include "shot_record.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/profile.h"

namespace shots {
namespace fs = std::filesystem;
namespace {

// A log far larger than any shot writes is not a shot's log.
constexpr uintmax_t kLargestLog = 16u << 20;

std::optional<std::string> Value(const std::string& file, const char* section, const char* key) {
  char text[64];
  platform::GetPrivateProfileStringA(section, key, "\x01", text, sizeof text, file.c_str());
  if (std::string(text) == "\x01") return std::nullopt;
  return std::string(text);
}

bool ReadInt(const std::string& file, const char* section, const char* key, int* out,
             std::string* problem) {
  const auto text = Value(file, section, key);
  if (!text) {
    *problem = std::string("shot.ini has no ") + section + "/" + key;
    return false;
  }
  const auto r = std::from_chars(text->data(), text->data() + text->size(), *out);
  if (r.ec != std::errc() || r.ptr != text->data() + text->size()) {
    *problem =
        std::string("shot.ini: ") + section + "/" + key + " '" + *text + "' is not a whole number";
    return false;
  }
  return true;
}

bool ReadBox(const std::string& file, const char* section, Box* box, std::string* problem) {
  return ReadInt(file, section, "x", &box->x, problem) &&
         ReadInt(file, section, "y", &box->y, problem) &&
         ReadInt(file, section, "width", &box->width, problem) &&
         ReadInt(file, section, "height", &box->height, problem);
}

std::optional<std::string> ReadText(const fs::path& file, std::string* problem) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(file, ec);
  if (ec) {
    *problem = "no " + file.filename().string();
    return std::nullopt;
  }
  if (size > kLargestLog) {
    *problem =
        file.filename().string() + " is " + std::to_string(size) + " bytes, not a shot's log";
    return std::nullopt;
  }
  std::ifstream in(file, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) {
    *problem = "cannot read " + file.filename().string();
    return std::nullopt;
  }
  return text;
}

// Time fields as one sortable number; entries without a time sort after every shot.
long long TimeKey(const ShotRecord& r) {
  if (!r.parts) return 1LL << 62;
  const ShotNameParts& p = *r.parts;
  return ((((p.year * 13LL + p.month) * 32 + p.day) * 24 + p.hour) * 60 + p.minute) * 60 + p.second;
}

}  // namespace

std::string ClubAreaText(int clubType) {
  static const char* kNames[] = {"tee", "iron", "putter", "rough", "bunker"};
  if (clubType >= 0 && clubType < 5) return kNames[clubType];
  return std::to_string(clubType);
}

std::optional<ShotIni> ReadShotIni(const fs::path& file, std::string* problem) {
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    *problem = "no shot.ini";
    return std::nullopt;
  }
  const std::string path = file.string();
  ShotIni ini;
  if (!ReadBox(path, "foundBallArea", &ini.foundBallArea, problem) ||
      !ReadBox(path, "triggerArea", &ini.triggerArea, problem) ||
      !ReadBox(path, "ballCheckArea", &ini.ballCheckArea, problem) ||
      !ReadInt(path, "clubType", "type", &ini.clubType, problem)) {
    return std::nullopt;
  }
  const auto fps = Value(path, "fps", "fpsForFrame2Frame");
  double value = 0;
  if (!fps || std::from_chars(fps->data(), fps->data() + fps->size(), value).ec != std::errc()) {
    *problem = "shot.ini has no frame rate (fps/fpsForFrame2Frame)";
    return std::nullopt;
  }
  ini.fps = value;
  // Only all three make a place; a record without them is read as before.
  WindowPlace window;
  int moved = 0;
  std::string ignored;
  if (Value(path, "window", "moved") && ReadInt(path, "window", "moved", &moved, &ignored) &&
      ReadInt(path, "window", "shiftX", &window.shiftX, &ignored) &&
      ReadInt(path, "window", "shiftY", &window.shiftY, &ignored)) {
    window.moved = moved != 0;
    ini.window = window;
  }
  return ini;
}

ShotRecord ReadShotRecord(const fs::path& dir) {
  ShotRecord record;
  record.path = dir;
  record.name = dir.filename().string();
  record.parts = ParseShotName(record.name);
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    record.problem = ec ? "cannot look at it: " + ec.message() : "not a directory";
    return record;
  }
  if (!record.parts) {
    record.problem = "not a shot record's name";
    return record;
  }
  const auto text = ReadText(dir / "log.txt", &record.problem);
  if (!text) return record;
  record.lastWrite = fs::last_write_time(dir / "log.txt", ec);
  record.log = ParseShotLog(*text);
  if (record.outcome() == Outcome::kNoShot && record.log.emptySwing) {
    record.parts->outcome = Outcome::kEmptySwing;
  }
  // A run that failed to read its frames ends before shot.ini: the record is still a record.
  std::string iniProblem;
  record.ini = ReadShotIni(dir / "shot.ini", &iniProblem);
  if (record.outcome() == Outcome::kUnfinished) {
    record.problem = "unfinished: the run never renamed it";
  } else if (record.outcome() == Outcome::kDelivered && !record.log.result) {
    record.problem = "log.txt has no result line";
  } else if (!record.ini &&
             (record.outcome() == Outcome::kDelivered || iniProblem != "no shot.ini")) {
    record.problem = iniProblem;
  }
  return record;
}

std::optional<std::vector<ShotRecord>> ReadDataFolder(const fs::path& folder,
                                                      std::string* problem) {
  std::error_code ec;
  fs::directory_iterator entries(folder, ec);
  if (ec) {
    *problem = "cannot read " + folder.string() + ": " + ec.message();
    return std::nullopt;
  }
  std::vector<ShotRecord> records;
  for (fs::directory_iterator end; entries != end; entries.increment(ec)) {
    if (ec) break;
    if (entries->path().filename() == "club_path") continue;
    records.push_back(ReadShotRecord(entries->path()));
  }
  if (ec) {
    *problem = "cannot read " + folder.string() + ": " + ec.message();
    return std::nullopt;
  }
  std::sort(records.begin(), records.end(), [](const ShotRecord& a, const ShotRecord& b) {
    if (TimeKey(a) != TimeKey(b)) return TimeKey(a) < TimeKey(b);
    if (a.lastWrite != b.lastWrite) return a.lastWrite < b.lastWrite;
    return a.name < b.name;
  });
  return records;
}

}  // namespace shots
