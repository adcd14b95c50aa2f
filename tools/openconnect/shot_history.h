// The history file: one JSON line per shot the sensor delivered, appended when the shot's fate
// is known (answered, refused, not sent, no answer), so a shot is kept even when the simulator
// never saw it.
#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

namespace openconnect {

class ShotHistory {
 public:
  ShotHistory() = default;
  ~ShotHistory();
  ShotHistory(const ShotHistory&) = delete;
  ShotHistory& operator=(const ShotHistory&) = delete;

  // Opens the file for appending, creating it; false with a line on standard error.
  bool Open(const std::string& path);
  // Writes the line and flushes it to the file; a failure is told on standard error.
  void Append(const nlohmann::ordered_json& line);

 private:
  std::FILE* file_ = nullptr;
  std::string path_;
};

// The local time of day with milliseconds, as the history shows it: "2026-12-11 14:05:09.123".
std::string LocalTimeText();

}  // namespace openconnect
