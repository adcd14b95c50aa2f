// kestrix-shots: the shot records of the data folder for people. Lists them (or exports them as
// CSV and JSON), draws a shot's frames with what the analysis saw in them, and re-analyses
// recorded shots with other settings through the sensor's own analysis.
#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "contact_sheet.h"
#include "direct_analysis.h"
#include "gif_animation.h"
#include "reanalysis.h"
#include "replay_run.h"
#include "shot_frames.h"
#include "shot_list.h"
#include "shot_record.h"

namespace {

namespace fs = std::filesystem;
using namespace shots;

constexpr int kFailed = 1;
constexpr int kUsageError = 2;
constexpr double kDefaultSlowMotion = 50;

const char kUsage[] =
    "usage: kestrix-shots list [DATA_DIR] [--csv | --json]\n"
    "       kestrix-shots show SHOT_DIR [SHOT_DIR] [--out FILE.png] [--gif FILE.gif] [--slow N]\n"
    "       kestrix-shots reanalyse MAIN_DIR SIDE_DIR [--settings DIR] [--keep DIR] [--replay]\n"
    "       kestrix-shots reanalyse --all DATA_DIR [--settings DIR] [--baseline DIR] [--replay]\n"
    "  list       one row per shot directory, oldest first (DATA_DIR defaults to ./data)\n"
    "  show       a contact sheet of the shot's frames (two directories: side by side), the kept\n"
    "             ball outlined red, the club's start green and end yellow; --gif an animation\n"
    "             slowed down N times (default 50)\n"
    "  reanalyse  the sensor's analysis again on the recorded frames with the settings of DIR\n"
    "             (default: the current directory), beside the recorded result; --keep keeps\n"
    "             the run's installation; --baseline DIR compares with a re-analysis on DIR's\n"
    "             settings instead; --replay runs the whole sensor (--headless PROGRAM) on\n"
    "             simulated cameras that replay the shot, so its ball watch finds the ball again\n"
    "exit status: 0; 1 when a record could not be read or re-analysed; 2 for a bad command line\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "kestrix-shots: %s\n%s", problem.c_str(), kUsage);
  return kUsageError;
}

int Fail(const std::string& problem) {
  std::fprintf(stderr, "kestrix-shots: %s\n", problem.c_str());
  return kFailed;
}

// Positional words and "--name value" options; "--csv", "--json" and "--all" stand alone.
struct CommandLine {
  std::vector<std::string> words;
  std::vector<std::pair<std::string, std::string>> options;
  std::string error;

  std::optional<std::string> Option(const std::string& name) const {
    for (const auto& [key, value] : options) {
      if (key == name) return value;
    }
    return std::nullopt;
  }
  bool Flag(const std::string& name) const { return Option(name).has_value(); }
};

CommandLine Parse(int argc, char** argv, const std::vector<std::string>& flags,
                  const std::vector<std::string>& valued) {
  CommandLine line;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.rfind("--", 0) != 0) {
      line.words.push_back(arg);
    } else if (std::find(flags.begin(), flags.end(), arg) != flags.end()) {
      line.options.emplace_back(arg, "");
    } else if (std::find(valued.begin(), valued.end(), arg) != valued.end()) {
      if (i + 1 >= argc) {
        line.error = arg + " needs a value";
        return line;
      }
      line.options.emplace_back(arg, argv[++i]);
    } else {
      line.error = "unknown option " + arg;
      return line;
    }
  }
  return line;
}

int List(int argc, char** argv) {
  const CommandLine line = Parse(argc, argv, {"--csv", "--json"}, {});
  if (!line.error.empty()) return Usage(line.error);
  if (line.words.size() > 1) return Usage("list takes one data folder");
  if (line.Flag("--csv") && line.Flag("--json")) return Usage("--csv or --json, not both");
  const fs::path folder = line.words.empty() ? fs::path("data") : fs::path(line.words[0]);
  std::string problem;
  const auto records = ReadDataFolder(folder, &problem);
  if (!records) return Fail(problem);
  if (line.Flag("--csv")) {
    std::fputs(ListCsv(*records).c_str(), stdout);
  } else if (line.Flag("--json")) {
    std::fputs(ListJson(*records).c_str(), stdout);
  } else {
    std::fputs(ListTable(*records).c_str(), stdout);
  }
  return 0;
}

int Show(int argc, char** argv) {
  const CommandLine line = Parse(argc, argv, {}, {"--out", "--gif", "--slow"});
  if (!line.error.empty()) return Usage(line.error);
  if (line.words.empty() || line.words.size() > 2)
    return Usage("show takes one or two shot directories");
  const auto png = line.Option("--out");
  const auto gif = line.Option("--gif");
  if (!png && !gif) return Usage("show needs --out FILE.png or --gif FILE.gif");
  double slow = kDefaultSlowMotion;
  if (const auto text = line.Option("--slow")) {
    char* end = nullptr;
    slow = std::strtod(text->c_str(), &end);
    if (end == text->c_str() || *end != '\0' || !(slow > 0) || slow > 10000) {
      return Usage("--slow takes a factor above 0, at most 10000");
    }
  }
  std::vector<ShotFrames> shots;
  for (const std::string& dir : line.words) {
    std::string problem;
    auto frames = LoadShotFrames(dir, &problem);
    if (!frames) return Fail(problem);
    shots.push_back(std::move(*frames));
  }
  if (shots.size() == 2 && shots[0].side != shots[1].side) {
    return Fail("the two directories hold frames of different sizes");
  }
  // Text needs fonts, which need a platform; a server has no display.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QGuiApplication app(qtArgc, qtArgv);
  if (png) {
    const QImage sheet = DrawContactSheet(shots);
    if (!sheet.save(QString::fromStdString(*png), "PNG")) return Fail("cannot write " + *png);
    std::printf("%s: %d x %d, %zu frames\n", png->c_str(), sheet.width(), sheet.height(),
                shots.front().frames.size());
  }
  if (gif) {
    const double fps = shots.front().fps > 0 ? shots.front().fps : 500;
    const int delay = GifDelayCentiseconds(fps, slow);
    std::string problem;
    if (!WriteGifAnimation(DrawAnimationFrames(shots), delay, *gif, &problem)) return Fail(problem);
    std::printf("%s: %zu frames, %d/100 s each (%.0f frames/s slowed %g times)\n", gif->c_str(),
                shots.front().frames.size(), delay, fps, slow);
  }
  return 0;
}

RunOptions RunOptionsOf(const CommandLine& line) {
  RunOptions options;
  options.settings = fs::absolute(line.Option("--settings").value_or("."));
  options.headless = line.Option("--headless").value_or(KESTRIX_HEADLESS);
  options.keep = line.Option("--keep").value_or("");
  return options;
}

// In this process on the recorded frames, or the whole sensor on a replay of them.
RunResult RunOnce(const ShotRecord& main, const ShotRecord& side, const RunOptions& options,
                  const CommandLine& line) {
  return line.Flag("--replay") ? ReplayShot(main, side, options)
                               : AnalyseRecordedShot(main, side, options);
}

int ReanalyseAll(const CommandLine& line) {
  if (line.words.size() != 1) return Usage("--all takes one data folder");
  if (line.Flag("--keep")) return Usage("--keep keeps the run of one shot, not of --all");
  std::string problem;
  const auto records = ReadDataFolder(line.words[0], &problem);
  if (!records) return Fail(problem);
  const RunOptions options = RunOptionsOf(line);
  std::optional<RunOptions> baseline;
  if (const auto base = line.Option("--baseline")) {
    baseline = options;
    baseline->settings = fs::absolute(*base);
  }
  std::vector<Reanalysis> results;
  for (const auto& [main, side] : PairDeliveredShots(*records)) {
    std::fprintf(stderr, "kestrix-shots: reanalysing %s\n", main.name.c_str());
    results.push_back(Compare(main, side, RunOnce(main, side, options, line)));
    if (!baseline) continue;
    // Both runs share whatever the way of running them cannot give back (the speed jitter, what
    // a replay's watch finds again), so their difference is the settings' own.
    const Reanalysis base = Compare(main, side, RunOnce(main, side, *baseline, line));
    results.back().recorded = base.reanalysed;
  }
  std::string settings = options.settings.string();
  if (baseline) {
    settings += " (changes against a re-analysis with the settings of " +
                baseline->settings.string() + "; the verdicts compare with the recording)";
  }
  std::fputs(FormatReanalysisTable(results, settings).c_str(), stdout);
  for (const Reanalysis& r : results) {
    for (const LogComparison& c : r.logs) {
      if (!c.agreeToJitter)
        std::printf("%s, %s log: %s\n", r.mainName.c_str(), c.camera.c_str(),
                    c.firstDifference.c_str());
    }
  }
  const bool allRan = std::all_of(results.begin(), results.end(), [](const Reanalysis& r) {
    return r.agreement != Agreement::kNotReanalysed;
  });
  return allRan ? 0 : kFailed;
}

int Reanalyse(int argc, char** argv) {
  const CommandLine line = Parse(argc, argv, {"--all", "--replay"},
                                 {"--settings", "--keep", "--headless", "--baseline"});
  if (!line.error.empty()) return Usage(line.error);
  if (line.Flag("--all")) return ReanalyseAll(line);
  if (line.words.size() != 2) return Usage("reanalyse takes a main and a side shot directory");
  const ShotRecord main = ReadShotRecord(line.words[0]);
  const ShotRecord side = ReadShotRecord(line.words[1]);
  for (const ShotRecord* r : {&main, &side}) {
    if (!r->parts) return Fail(r->path.string() + ": " + r->problem);
    if (!r->ini) return Fail(r->path.string() + ": no readable shot.ini");
  }
  if (main.parts->camera != "TopMain" || side.parts->camera != "TopSide") {
    return Fail("give the main camera's directory (TopMain) first, then the side camera's");
  }
  const RunOptions options = RunOptionsOf(line);
  const Reanalysis result = Compare(main, side, RunOnce(main, side, options, line));
  std::fputs(FormatReanalysis(result, options.settings.string()).c_str(), stdout);
  return result.agreement == Agreement::kNotReanalysed ? kFailed : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("no command");
  const std::string command = argv[1];
  if (command == "--help" || command == "help") {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (command == "list") return List(argc, argv);
  if (command == "show") return Show(argc, argv);
  if (command == "reanalyse" || command == "reanalyze") return Reanalyse(argc, argv);
  return Usage("unknown command " + command);
}
