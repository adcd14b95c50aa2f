#include "analysis/shot_record.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "analysis/club_path_image.h"
#include "analysis/remove_tree.h"
#include "analysis/shot_name.h"
#include "analysis/shot_run.h"
#include "platform/monotonic_time.h"
#include "platform/profile.h"

namespace {

constexpr const char* kDataFolder = "data";
constexpr const char* kClubPathFolder = "club_path";
// Subfolders of the club-path folder with this in their path are the installer's and stay.
constexpr const char* kKeepText = "TT";
constexpr int32_t kPreShotPictures = 4;

void CreateFolder(const char* path) {
  std::error_code ignored;  // an existing folder is no error, and a failure loses only files
  std::filesystem::create_directory(path, ignored);
}

void WriteInt(const char* path, const char* section, const char* key, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  platform::WritePrivateProfileStringA(section, key, text, path);
}

void WriteRect(const char* path, const char* section, const CRectT& r) {
  WriteInt(path, section, "x", r.m_x);
  WriteInt(path, section, "y", r.m_y);
  WriteInt(path, section, "width", r.m_width);
  WriteInt(path, section, "height", r.m_height);
}

}  // namespace

void OpenShotRecord(ShotRun& run) {
  MakeShotName(run.shotName, sizeof run.shotName,
               run.camera.SensorType == SENSOR_MAIN ? "TopMain" : "TopSide");
  char folder[kPathSize];
  std::snprintf(folder, sizeof folder, "./%s", kDataFolder);
  CreateFolder(folder);
  std::snprintf(folder, sizeof folder, "./%s/%s", kDataFolder, kClubPathFolder);
  CreateFolder(folder);
  std::snprintf(run.directory, sizeof run.directory, "./%s/%s", kDataFolder, run.shotName);
  CreateFolder(run.directory);
  std::snprintf(run.logPath, sizeof run.logPath, "./%s/%s/log.txt", kDataFolder, run.shotName);
}

void WritePreShotFrames(const ShotRun& run) {
  static constexpr const char* kNames[kPreShotFrames] = {"image_prev.bmp", "image_prev_a.bmp",
                                                         "image_prev_b.bmp", "image_prev_c.bmp"};
  for (int i = 0; i < kPreShotFrames; ++i) {
    run.Dump(run.camera.m_buffers.preShot[i].get(), "%s", kNames[i]);
  }
}

void WriteShotIni(const ShotRun& run) {
  const int64_t start = platform::MonotonicMicros();
  const CMainCamera& camera = run.camera;
  const std::string path =
      (std::filesystem::path(camera.m_workingDirectory) / kDataFolder / run.shotName / "shot.ini")
          .string();
  WriteRect(path.c_str(), "foundBallArea", camera.m_foundBallArea);
  WriteRect(path.c_str(), "triggerArea", camera.m_triggerArea);
  WriteRect(path.c_str(), "ballCheckArea", camera.m_ballCheckArea);
  WriteInt(path.c_str(), "clubType", "type", camera.m_clubType);
  char fps[64];
  std::snprintf(fps, sizeof fps, "%f", static_cast<double>(camera.m_capture.m_fpsForFrame2Frame));
  platform::WritePrivateProfileStringA("fps", "fpsForFrame2Frame", fps, path.c_str());
  // Where the capture window stood is in no frame, yet the side camera's pixels are mapped
  // through it: a recorded shot can only be analysed again the same way with it.
  WriteInt(path.c_str(), "window", "moved", camera.m_windowMoved ? 1 : 0);
  WriteInt(path.c_str(), "window", "shiftX", camera.m_windowShiftX);
  WriteInt(path.c_str(), "window", "shiftY", camera.m_windowShiftY);
  run.CountWrite(start);
}

void RefreshClubPathFolder(const ShotRun& run) {
  const int64_t start = platform::MonotonicMicros();
  const CMainCamera& camera = run.camera;
  char folder[kPathSize];
  std::snprintf(folder, sizeof folder, "./%s/%s", kDataFolder, kClubPathFolder);
  RemoveTree(folder, kKeepText, kKeepText, false);

  const int32_t centreX = camera.m_foundBallArea.m_x;
  const float angle = -camera.zeroAngle;
  char path[kPathSize + 32];
  const auto write = [&](const uint8_t* image, int32_t index) {
    std::snprintf(path, sizeof path, "%s/image_%d.bmp", folder, index);
    WriteClubPathImage(run.W, image, path, run.H, centreX, angle);
  };
  // The frames before the strike first, oldest as image_0.
  for (int i = 0; i < kPreShotPictures; ++i) {
    write(camera.m_buffers.preShot[i].get(), kPreShotPictures - 1 - i);
  }
  for (int32_t k = 0; k < run.frameCount; ++k) {
    if (k > 0 && camera.m_balls[k].m_ball.m_speed == kNotMeasured) break;
    write(run.ShotFrame(k), k + kPreShotPictures);
  }
  run.CountWrite(start);
}

void CloseShotRecord(ShotRun& run) {
  char target[kPathSize + 96];
  if (run.suffix != nullptr) {
    std::snprintf(target, sizeof target, "%s%s", run.directory, run.suffix);
  } else {
    std::snprintf(target, sizeof target, "%s(S %.2f)(H %.2f)(V %.2f)", run.directory,
                  static_cast<double>(run.camera.m_speed), static_cast<double>(run.camera.m_HAngle),
                  static_cast<double>(run.camera.m_VAngle));
  }
  // A directory that cannot be moved (a file in it still open elsewhere, or the name taken)
  // keeps its name; a move never replaces another record.
  std::error_code ec;
  if (std::filesystem::exists(target, ec) || ec) return;
  std::rename(run.directory, target);
}
