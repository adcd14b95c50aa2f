#include "replay_run.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <thread>

#include "child_process.h"
#include "platform/profile.h"
#include "scratch_installation.h"

namespace shots {
namespace fs = std::filesystem;
namespace {

constexpr double kDefaultFps = 500;
constexpr int kAreaSide = 60;
constexpr int kClubPutter = 2;
// The club areas of a settings file by club type code.
const char* const kAreaSections[] = {"driverArea", "ironArea", "putterArea", "ironArea_Rough",
                                     "ironArea_Bunker"};

void WriteArea(const std::string& file, const char* section, int x, int y, int side) {
  const int values[] = {x, y, side, side};
  const char* keys[] = {"x", "y", "width", "height"};
  for (int i = 0; i < 4; ++i) {
    platform::WritePrivateProfileStringA(section, keys[i], std::to_string(values[i]).c_str(),
                                         file.c_str());
  }
}

// The recorded club's area around the resting ball; every other area too small to hold a ball.
void PlaceClubAreas(const fs::path& file, const ShotIni& ini) {
  const Box& ball = ini.foundBallArea;
  for (int club = 0; club < 5; ++club) {
    if (club == ini.clubType) {
      WriteArea(file.string(), kAreaSections[club], ball.x + ball.width / 2 - kAreaSide / 2,
                ball.y + ball.height / 2 - kAreaSide / 2, kAreaSide);
    } else {
      WriteArea(file.string(), kAreaSections[club], 0, 0, 0);
    }
  }
}

std::string ReadWhole(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

double ReplayRate(const ShotIni& ini) {
  if (!(ini.fps > 0)) return kDefaultFps;
  return std::clamp(ini.fps, 1.0, 10000.0);
}

}  // namespace

RunResult ReplayShot(const ShotRecord& main, const ShotRecord& side, const RunOptions& options) {
  RunResult result;
  if (!main.ini || !side.ini) {
    result.error = (!main.ini ? main.name : side.name) + " has no readable shot.ini";
    return result;
  }
  ScratchInstallation scratch;
  if (!scratch.Make(options.keep, options.settings, &result.error)) return result;
  PlaceClubAreas(scratch.dir() / "setting_top.ini", *main.ini);
  PlaceClubAreas(scratch.dir() / "setting_top_side.ini", *side.ini);
  result.notes.push_back("club areas: the recorded " + ClubAreaText(main.ini->clubType) +
                         " area on the resting ball, the others empty");
  std::error_code ec;
  if (main.ini->clubType == kClubPutter) {
    // The golf client's putter choice, as the sensor reads it at start.
    std::ofstream(scratch.dir() / "putter.txt") << "1";
    result.notes.push_back("putter selected (putter.txt)");
  }
  // Shot directory names hold blanks, which a session script cannot: the replay reads links.
  fs::create_directories(scratch.dir() / "recorded", ec);
  fs::create_directory_symlink(fs::absolute(main.path, ec), scratch.dir() / "recorded" / "main",
                               ec);
  fs::create_directory_symlink(fs::absolute(side.path, ec), scratch.dir() / "recorded" / "side",
                               ec);
  if (ec) {
    result.error = "cannot link the recorded directories: " + ec.message();
    return result;
  }
  const double fps = ReplayRate(*main.ini);
  char script[512];
  std::snprintf(script, sizeof script, "fps free %.3f together\nreplay %s %s\n", fps,
                (scratch.dir() / "recorded" / "main").string().c_str(),
                (scratch.dir() / "recorded" / "side").string().c_str());
  std::ofstream(scratch.dir() / "replay.txt") << script;
  char rate[96];
  std::snprintf(rate, sizeof rate, "replayed at %.3f frames/s (the recorded rate), free-running",
                fps);
  result.notes.push_back(rate);
  fs::create_directory(scratch.dir() / "endpoints", ec);
  fs::permissions(scratch.dir() / "endpoints", fs::perms::owner_all, ec);

  accuracy::ChildProcess sensor;
  const std::vector<std::string> environment = {
      "VARNOK_SIM_SCRIPT=replay.txt",
      "KESTRIX_ENDPOINT_DIR=" + (scratch.dir() / "endpoints").string(),
      "KESTRIX_SHM_NAME=/kestrix-shots-" + std::to_string(::getpid()), "KESTRIX_NO_REALTIME=1"};
  if (!sensor.Start(options.headless, {"--camera-clock"}, scratch.dir().string(),
                    (scratch.dir() / "sensor.jsonl").string(),
                    (scratch.dir() / "sensor.log").string(), &result.error, environment)) {
    return result;
  }
  const auto deadline =
      std::chrono::steady_clock::now() +
      std::chrono::milliseconds(static_cast<int64_t>(options.timeoutSeconds * 1000));
  const fs::path data = scratch.data();
  // The side camera's run ends before the main camera's, which waits for it; a side camera that
  // saw no shot leaves nothing more once the main camera is done.
  std::optional<std::chrono::steady_clock::time_point> mainDoneAt;
  while (std::chrono::steady_clock::now() < deadline && sensor.Running()) {
    result.main = FinishedRecord(data, "TopMain");
    result.side = FinishedRecord(data, "TopSide");
    if (result.main && result.side) break;
    if (result.main && !mainDoneAt) mainDoneAt = std::chrono::steady_clock::now();
    if (mainDoneAt && std::chrono::steady_clock::now() - *mainDoneAt > std::chrono::seconds(5))
      break;
    // The simulated cameras refuse a replay they cannot read and then show an idle bay.
    const std::string log = ReadWhole(scratch.dir() / "sensor.log");
    if (const size_t at = log.find("varnok_sim: "); at != std::string::npos) {
      result.error = log.substr(at, log.find('\n', at) - at);
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  sensor.Signal(SIGTERM);
  sensor.WaitFor(10);
  result.main = FinishedRecord(data, "TopMain");
  result.side = FinishedRecord(data, "TopSide");
  result.ran = true;
  if (!result.main && !result.side) {
    result.error = "the sensor left no finished record (see its log in a run kept with --keep)";
  }
  // The records live in the scratch installation: keep what the report needs in memory.
  return result;
}

}  // namespace shots
