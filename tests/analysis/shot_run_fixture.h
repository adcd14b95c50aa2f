// A game camera with one analysis run on it, for the rules of the analysis stages: its lines go
// to the debug output only unless a shot directory is given, in which case they also go to that
// directory's log.txt, and the frame dumps are written there.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/shot_run.h"
#include "support/camera_fixture.h"
#include "support/temp_dir.h"

struct RunOnCamera {
  CameraOnFrame rig;
  ShotRun run;

  explicit RunOnCamera(int32_t sensorType = SENSOR_MAIN, int32_t clubType = CLUB_IRON)
      : rig(sensorType), run(rig.camera) {
    rig.camera.m_clubType = clubType;
  }

  CMainCamera& camera() { return rig.camera; }

  // Shot directory and log file inside dir.
  void RecordInto(const test_support::TempDir& dir) {
    std::snprintf(run.directory, sizeof run.directory, "%s", dir.path().string().c_str());
    std::snprintf(run.logPath, sizeof run.logPath, "%s", dir.File("log.txt").c_str());
  }

  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    if (run.logPath[0] == '\0') return lines;
    std::istringstream in(test_support::ReadBytes(run.logPath));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  // The first log line that starts with prefix, or an empty text.
  std::string LogLine(const std::string& prefix) const {
    for (const std::string& line : LogLines()) {
      if (line.rfind(prefix, 0) == 0) return line;
    }
    return {};
  }
};

// Runs a test body inside a directory of its own: files the analysis reads from the current
// directory come from there. The previous directory comes back at the end of the scope.
class InDirectory {
 public:
  explicit InDirectory(const std::filesystem::path& dir)
      : previous_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }
  InDirectory(const InDirectory&) = delete;
  InDirectory& operator=(const InDirectory&) = delete;

 private:
  std::filesystem::path previous_;
};
