#include "soak_run.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <vector>

#include "club_selection.h"
#include "free_run_script.h"
#include "platform/monotonic_time.h"
#include "platform/profile.h"
#include "process_use.h"
#include "run_directory.h"
#include "script_outline.h"
#include "session_run.h"
#include "soak_figures.h"
#include "soak_session.h"

namespace accuracy {

namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;
constexpr int kTailLines = 20;
// People watching a long soak hear how it goes this often.
constexpr size_t kProgressEveryShots = 50;

int Fail(const std::string& message) {
  std::fprintf(stderr, "kestrix-accuracy: %s\n", message.c_str());
  return kUsageError;
}

std::string Tail(const fs::path& path, int lines) {
  std::ifstream in(path, std::ios::binary);
  const std::string text(std::istreambuf_iterator<char>(in), {});
  size_t at = text.size();
  for (int n = 0; n <= lines && at > 0; ++n) at = text.rfind('\n', at - 1);
  return at == std::string::npos ? text : text.substr(at + 1);
}

// Handedness is the installation's: set in both cameras' settings files, as the console's scan
// type does, so the sensor takes the player's side from the bay and not from the pictures.
bool SetHandedness(const fs::path& dir, Hand hand) {
  const char* value = hand == Hand::kRight ? "1" : "0";
  for (const char* file : {"setting_top.ini", "setting_top_side.ini"}) {
    if (!platform::WritePrivateProfileStringA("SensorSetting", "isRightHand", value,
                                              (dir / file).c_str())) {
      return false;
    }
  }
  return true;
}

// What the sensor held as the run went, for a look at where memory came or went.
void WriteSamples(const fs::path& path, const std::vector<ResourceSample>& samples) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "results,rss_kib,fds\n";
  for (const ResourceSample& s : samples) {
    out << s.results << ',' << s.rssKiB << ',' << s.fds << '\n';
  }
}

struct HandRun {
  Hand hand;
  int shots;
};

std::vector<HandRun> HandRuns(const AccuracyOptions& options) {
  if (options.hands == "right") return {{Hand::kRight, options.soakShots}};
  if (options.hands == "left") return {{Hand::kLeft, options.soakShots}};
  std::vector<HandRun> runs{{Hand::kRight, (options.soakShots + 1) / 2}};
  if (options.soakShots / 2 > 0) runs.push_back({Hand::kLeft, options.soakShots / 2});
  return runs;
}

}  // namespace

int RunSoak(const AccuracyOptions& options, const ToolPaths& paths) {
  const double soakStartedAt = platform::MonotonicSeconds();
  std::string error;
  std::optional<fs::path> keep;
  if (!options.keep.empty()) {
    keep = MakeRunDirectory(options.keep, &error);
    if (!keep) return Fail(error);
  }
  std::vector<SoakRun> runs;
  for (const HandRun& handRun : HandRuns(options)) {
    const std::string hand = HandName(handRun.hand);
    const std::string text =
        FreeRunScript(SoakSessionScript({handRun.shots, options.seed, handRun.hand}));
    SessionSetup setup;
    setup.sensor = paths.sensor;
    setup.client = paths.client;
    setup.outline = ReadScriptOutline(text);
    setup.clubChanges = ClubChanges(setup.outline.strikes);
    setup.scriptName = "soak_" + hand + ".txt";

    // A scratch run is removed as soon as it has been counted: a shot's records take megabytes.
    const std::optional<fs::path> dir =
        MakeRunDirectory(keep ? (*keep / hand).string() : "", &error);
    if (!dir) return Fail(error);
    ScratchDirectory scratch{*dir, keep.has_value()};
    setup.runDir = *dir;
    if (!FillRunDirectory(setup.runDir, paths.demo, paths.dataBi, setup.scriptName, text, &error)) {
      return Fail(error);
    }
    if (!SetHandedness(setup.runDir, handRun.hand)) {
      return Fail("cannot set the handedness in " + setup.runDir.string());
    }

    std::vector<ResourceSample> samples;
    size_t reported = 0;
    setup.onProgress = [&](const SessionProgress& progress) {
      // The shutdown frees what the run held; it says nothing of the run.
      if (progress.closing || progress.sensorPid <= 0) return;
      const std::optional<ProcessUse> use = ReadProcessUse(progress.sensorPid);
      if (!use) return;
      samples.push_back({progress.results, use->rssKiB, use->fds});
      if (progress.results >= reported + kProgressEveryShots) {
        reported = progress.results;
        std::fprintf(stderr, "kestrix-accuracy: %s-handed: %zu of %d shots, RSS %ld KiB, %d fds\n",
                     hand.c_str(), progress.results, handRun.shots, use->rssKiB, use->fds);
      }
    };
    const SessionRecord record = RunSession(setup);
    if (!record.started) return Fail(record.error);
    if (record.interrupted) return Fail("interrupted");
    if (record.sensorStatus != 0) {
      std::fprintf(stderr, "kestrix-accuracy: %s ended with status %d; its log ends:\n%s",
                   fs::path(setup.sensor).filename().c_str(), record.sensorStatus,
                   Tail(setup.runDir / "sensor.log", kTailLines).c_str());
    }
    if (keep) WriteSamples(setup.runDir / "soak_samples.csv", samples);
    SoakRun run;
    run.hand = hand;
    run.join = JoinDeliveries(record.truth, setup.outline.strikes, record.arrivals);
    run.samples = std::move(samples);
    run.warmUpShots = static_cast<size_t>(options.warmUpShots);
    run.sessionSeconds = setup.outline.end_t.value_or(0.0);
    run.sensorSeconds =
        record.lastResultAt > 0 ? record.lastResultAt - record.sensorStartedAt : 0.0;
    run.sensorStatus = record.sensorStatus;
    runs.push_back(std::move(run));
  }
  const double runSeconds = platform::MonotonicSeconds() - soakStartedAt;
  std::vector<SoakRunFigures> figures;
  for (const SoakRun& run : runs) figures.push_back(FiguresOf(run));
  if (options.json) {
    std::fputs(FormatSoakJson(runs, runSeconds).c_str(), stdout);
  } else {
    std::printf("soak: %d shots, seed %llu, %s, free-running cameras\n", options.soakShots,
                static_cast<unsigned long long>(options.seed),
                options.hands == "both" ? "both hands" : (options.hands + "-handed").c_str());
    std::fputs(FormatSoakText(runs, runSeconds).c_str(), stdout);
    if (keep) std::printf("run files: %s\n", keep->c_str());
  }
  return SoakFailures(figures).empty() ? 0 : 1;
}

}  // namespace accuracy
