// kestrix-accuracy: plays a session script on the simulated cameras with kestrix-headless (or
// another sensor program) and kestrix-client, and shows how close every delivered shot is to the
// simulated truth.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "accuracy_options.h"
#include "club_selection.h"
#include "error_summary.h"
#include "free_run_script.h"
#include "json_report.h"
#include "run_directory.h"
#include "script_outline.h"
#include "session_run.h"
#include "shot_join.h"
#include "soak_run.h"
#include "table_report.h"

namespace {

namespace fs = std::filesystem;
using namespace accuracy;

constexpr int kUsageError = 2;
constexpr int kTailLines = 20;

int Fail(const std::string& message) {
  std::fprintf(stderr, "kestrix-accuracy: %s\n", message.c_str());
  return kUsageError;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Tail(const std::string& text, int lines) {
  size_t at = text.size();
  for (int n = 0; n <= lines && at > 0; ++n) at = text.rfind('\n', at - 1);
  return at == std::string::npos ? text : text.substr(at + 1);
}

}  // namespace

int main(int argc, char** argv) {
  AccuracyOptions options;
  std::string error;
  if (!ParseAccuracyOptions(argc, argv, &options, &error)) {
    std::fprintf(stderr, "kestrix-accuracy: %s\n%s", error.c_str(), AccuracyUsage());
    return kUsageError;
  }
  if (options.help) {
    std::fputs(AccuracyUsage(), stdout);
    return 0;
  }

  // The programs run in the run directory, so every path they get is absolute.
  std::error_code ec;
  const fs::path demo = fs::absolute(options.demo.empty() ? KESTRIX_DEMO_DIR : options.demo, ec);
  const fs::path dataBi =
      fs::absolute(options.dataBi.empty() ? KESTRIX_DATA_BI : options.dataBi, ec);
  SessionSetup setup;
  if (!options.sensor.empty()) {
    setup.sensor = fs::absolute(options.sensor, ec).lexically_normal();
  } else {
    setup.sensor = options.bin.empty()
                       ? KESTRIX_HEADLESS
                       : fs::absolute(fs::path(options.bin) / "kestrix-headless", ec);
  }
  setup.client = options.bin.empty() ? KESTRIX_CLIENT
                                     : fs::absolute(fs::path(options.bin) / "kestrix-client", ec);
  const std::string sensorName = fs::path(setup.sensor).filename().string();
  if (options.soakShots > 0) {
    return RunSoak(options, {demo, dataBi, setup.sensor, setup.client});
  }

  const std::optional<fs::path> script = FindScript(options.script, demo);
  if (!script) return Fail("no script " + options.script + " (nor in " + demo.string() + ")");
  std::string text = ReadWhole(*script);
  if (options.freeRun) text = FreeRunScript(text);
  setup.outline = ReadScriptOutline(text);
  setup.clubChanges = ClubChanges(setup.outline.strikes);
  if (!setup.outline.end_t) return Fail(script->string() + " has no 'end' line");
  setup.scriptName = script->filename().string();

  const std::optional<fs::path> dir = MakeRunDirectory(options.keep, &error);
  if (!dir) return Fail(error);
  ScratchDirectory scratch{*dir, !options.keep.empty()};
  setup.runDir = *dir;
  if (!FillRunDirectory(setup.runDir, demo, dataBi, setup.scriptName, text, &error)) {
    return Fail(error);
  }

  const SessionRecord record = RunSession(setup);
  if (!record.started) return Fail(record.error);
  if (record.interrupted) return Fail("interrupted");

  const bool sensorEndedWell = record.sensorStatus == 0;
  if (!sensorEndedWell) {
    std::fprintf(stderr, "kestrix-accuracy: %s ended with status %d; its log ends:\n%s",
                 sensorName.c_str(), record.sensorStatus,
                 Tail(ReadWhole(setup.runDir / "sensor.log"), kTailLines).c_str());
  }
  const JoinResult join = JoinDeliveries(record.truth, setup.outline.strikes, record.arrivals);
  const Summary summary = Summarise(join);
  const bool ok = DeliveredAsPlayed(join) && sensorEndedWell;
  const std::optional<std::string> kept =
      options.keep.empty() ? std::nullopt : std::optional<std::string>(setup.runDir.string());
  if (options.json) {
    std::fputs(FormatJson(join, summary, ok, kept).c_str(), stdout);
  } else {
    std::fputs(FormatTable(join, summary).c_str(), stdout);
    if (kept) std::printf("run files: %s\n", kept->c_str());
  }
  return ok ? 0 : 1;
}
