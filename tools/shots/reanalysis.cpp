#include "reanalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "path_class.h"
#include "text_table.h"

namespace shots {
namespace {

constexpr int kClubPutter = 2;

std::string Fixed(double value, int decimals, bool sign = false) {
  char text[32];
  std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
  return text;
}

std::string Jitter(const std::optional<double>& jitter) {
  return jitter ? Fixed(*jitter, 2, true) : std::string("?");
}

// The first line the speed jitter can change: the camera's own jitter step, or for the main
// camera the line that takes the side camera's jittered speed.
std::optional<size_t> JitterReach(const ShotLog& log) {
  std::optional<size_t> reach = log.jitterLine;
  for (size_t i = 0; i < log.lines.size(); ++i) {
    if (log.lines[i].rfind("-> Cam1 Speed Adj - m_speed :", 0) == 0) {
      if (!reach || i < *reach) reach = i;
      break;
    }
  }
  return reach;
}

LogComparison CompareLogs(const std::string& camera, const ShotRecord& recorded,
                          const ShotRecord& replayed) {
  LogComparison c;
  c.camera = camera;
  c.recordedJitter = recorded.log.speedJitter;
  c.replayedJitter = replayed.log.speedJitter;
  const auto& a = recorded.log.lines;
  const auto& b = replayed.log.lines;
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  c.identical = i == a.size() && i == b.size();
  if (c.identical) {
    c.agreeToJitter = true;
    return c;
  }
  const auto reach = JitterReach(recorded.log);
  c.agreeToJitter = reach && i >= *reach && JitterReach(replayed.log) == reach;
  c.firstDifference = "line " + std::to_string(i + 1) + ": recorded \"" +
                      (i < a.size() ? a[i] : std::string("(end)")) + "\", reanalysed \"" +
                      (i < b.size() ? b[i] : std::string("(end)")) + "\"";
  return c;
}

std::optional<ShotValues> ValuesOf(const ShotRecord& r) {
  if (!r.Delivered()) return std::nullopt;
  ShotValues v;
  v.values = *r.log.result;
  v.pathClass = r.ini && r.ini->clubType == kClubPutter ? std::nullopt : r.log.pathClass;
  v.clubType = r.ini ? r.ini->clubType : -1;
  v.outcome = r.outcome();
  return v;
}

std::string Describe(const std::string& camera, const LogComparison& c) {
  const std::string jitter = "speed jitter " + Jitter(c.recordedJitter) + " recorded, " +
                             Jitter(c.replayedJitter) + " reanalysed";
  if (c.identical) return camera + " log: identical (" + jitter + ")";
  if (c.agreeToJitter) return camera + " log: identical up to the speed jitter (" + jitter + ")";
  return camera + " log: the runs part at " + c.firstDifference + " (" + jitter + ")";
}

struct Quantity {
  const char* name;
  double ResultLine::*field;
  int decimals;
};

const Quantity kQuantities[] = {{"speed m/s", &ResultLine::speed, 2},
                                {"horizontal °", &ResultLine::hAngle, 2},
                                {"vertical °", &ResultLine::vAngle, 2},
                                {"side spin rpm", &ResultLine::sideSpin, 0},
                                {"back spin rpm", &ResultLine::backSpin, 0}};

const char* AgreementText(Agreement a) {
  switch (a) {
    case Agreement::kExact:
      return "same as recorded";
    case Agreement::kJitterOnly:
      return "same as recorded but for the speed jitter";
    case Agreement::kDiffers:
      return "differs from the recording";
    case Agreement::kNotReplayed:
      break;
  }
  return "not reanalysed";
}

std::string PathText(const std::optional<int>& pathClass) {
  return pathClass ? accuracy::PathClassText(*pathClass) : std::string("-");
}

}  // namespace

std::optional<ShotValues> ShotResultOf(const std::optional<ShotRecord>& main,
                                       const std::optional<ShotRecord>& side) {
  if (main && main->Delivered()) return ValuesOf(*main);
  // A right-handed putt is the side camera's to report.
  if (side && side->Delivered() && side->ini && side->ini->clubType == kClubPutter) {
    return ValuesOf(*side);
  }
  return std::nullopt;
}

Reanalysis Compare(const ShotRecord& main, const ShotRecord& side, const ReplayResult& replay) {
  Reanalysis r;
  r.mainName = main.name;
  r.sideName = side.name;
  r.notes = replay.notes;
  if (replay.replayFps > 0) {
    r.notes.push_back("replayed at " + Fixed(replay.replayFps, 3) +
                      " frames/s (the recorded rate), free-running");
  }
  r.error = replay.error;
  r.recorded = ShotResultOf(main, side);
  r.replayed = ShotResultOf(replay.main, replay.side);
  // The sensor re-finds the resting ball every frame from where it found it the frame before,
  // starting in the home window; the replay shows the centred picture from the start, so the
  // box it ends with may lie a pixel off the recorded one, and every angle with it.
  const auto box = [](const Box& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
  };
  const std::pair<const ShotRecord*, const std::optional<ShotRecord>*> cameras[] = {
      {&main, &replay.main}, {&side, &replay.side}};
  for (const auto& [recorded, replayed] : cameras) {
    if (!recorded->ini || !*replayed || !(*replayed)->ini) continue;
    const Box& a = recorded->ini->foundBallArea;
    const Box& b = (*replayed)->ini->foundBallArea;
    if (a.x != b.x || a.y != b.y || a.width != b.width || a.height != b.height) {
      r.notes.push_back(recorded->parts->camera + " resting ball box " + box(b) + ", recorded " +
                        box(a) + " (found again on the replayed frames, not taken from shot.ini)");
    }
  }
  if (replay.main) r.logs.push_back(CompareLogs("main", main, *replay.main));
  if (replay.side) r.logs.push_back(CompareLogs("side", side, *replay.side));
  if (!replay.main && !replay.side) return r;
  const bool identical =
      r.logs.size() == 2 &&
      std::all_of(r.logs.begin(), r.logs.end(), [](const LogComparison& c) { return c.identical; });
  const bool toJitter =
      r.logs.size() == 2 && std::all_of(r.logs.begin(), r.logs.end(),
                                        [](const LogComparison& c) { return c.agreeToJitter; });
  r.agreement = identical  ? Agreement::kExact
                : toJitter ? Agreement::kJitterOnly
                           : Agreement::kDiffers;
  return r;
}

std::string FormatReanalysis(const Reanalysis& r, const std::string& settings) {
  std::string out = "recorded:   " + r.mainName + "\n            " + r.sideName + "\n";
  out += "settings:   " + settings + "\n";
  for (const std::string& note : r.notes) out += "replay:     " + note + "\n";
  if (!r.error.empty()) out += "problem:    " + r.error + "\n";
  using Align = accuracy::TextTable::Align;
  accuracy::TextTable table({Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  table.AddRow({"", "recorded", "reanalysed", "change"});
  for (const Quantity& q : kQuantities) {
    std::vector<std::string> row = {q.name};
    row.push_back(r.recorded ? Fixed(r.recorded->values.*q.field, q.decimals) : "-");
    row.push_back(r.replayed ? Fixed(r.replayed->values.*q.field, q.decimals) : "-");
    if (r.recorded && r.replayed) {
      const double a = r.recorded->values.*q.field, b = r.replayed->values.*q.field;
      std::string change = Fixed(b - a, q.decimals, true);
      if (q.field == &ResultLine::speed && a != 0) {
        change += " (" + Fixed((b - a) / a * 100, 2, true) + " %)";
      }
      row.push_back(change);
    }
    table.AddRow(row);
  }
  table.AddRow({"club path", r.recorded ? PathText(r.recorded->pathClass) : "-",
                r.replayed ? PathText(r.replayed->pathClass) : "-"});
  table.AddRow({"club area", r.recorded ? ClubAreaText(r.recorded->clubType) : "-",
                r.replayed ? ClubAreaText(r.replayed->clubType) : "-"});
  out += table.Render();
  for (const LogComparison& c : r.logs) out += Describe(c.camera, c) + "\n";
  if (r.logs.size() < 2) out += "the sensor left no finished record for a camera\n";
  out += std::string("verdict:    ") + AgreementText(r.agreement) + "\n";
  return out;
}

std::string FormatReanalysisTable(const std::vector<Reanalysis>& shots,
                                  const std::string& settings) {
  using Align = accuracy::TextTable::Align;
  std::vector<Align> align = {Align::kLeft, Align::kLeft};
  for (size_t i = 0; i < std::size(kQuantities); ++i) {
    align.push_back(Align::kRight);
    align.push_back(Align::kRight);
  }
  align.push_back(Align::kLeft);
  accuracy::TextTable table(align);
  std::vector<std::string> header = {"shot", "club"};
  for (const Quantity& q : kQuantities) {
    header.push_back(q.name);
    header.push_back("change");
  }
  header.push_back("verdict");
  table.AddRow(header);
  double sums[std::size(kQuantities)] = {};
  double speedPercent = 0;
  int measured = 0;
  for (const Reanalysis& r : shots) {
    std::vector<std::string> row = {r.mainName.substr(0, r.mainName.find('(')),
                                    r.recorded ? ClubAreaText(r.recorded->clubType) : "-"};
    for (size_t i = 0; i < std::size(kQuantities); ++i) {
      const Quantity& q = kQuantities[i];
      row.push_back(r.replayed ? Fixed(r.replayed->values.*q.field, q.decimals) : "-");
      row.push_back(
          r.recorded && r.replayed
              ? Fixed(r.replayed->values.*q.field - r.recorded->values.*q.field, q.decimals, true)
              : "");
    }
    row.push_back(AgreementText(r.agreement));
    table.AddRow(row);
    if (!r.recorded || !r.replayed) continue;
    ++measured;
    for (size_t i = 0; i < std::size(kQuantities); ++i) {
      sums[i] +=
          r.replayed->values.*kQuantities[i].field - r.recorded->values.*kQuantities[i].field;
    }
    if (r.recorded->values.speed != 0) {
      speedPercent +=
          (r.replayed->values.speed - r.recorded->values.speed) / r.recorded->values.speed * 100;
    }
  }
  std::vector<std::string> mean = {"mean change", std::to_string(measured) + " shots"};
  for (size_t i = 0; i < std::size(kQuantities); ++i) {
    mean.push_back("");
    std::string cell =
        measured ? Fixed(sums[i] / measured, kQuantities[i].decimals + 1, true) : "-";
    if (i == 0 && measured) cell += " (" + Fixed(speedPercent / measured, 2, true) + " %)";
    mean.push_back(cell);
  }
  table.AddRow(mean);
  std::string out = "settings: " + settings + "\n" + table.Render();
  int exact = 0, jitter = 0, differs = 0, missing = 0;
  for (const Reanalysis& r : shots) {
    exact += r.agreement == Agreement::kExact;
    jitter += r.agreement == Agreement::kJitterOnly;
    differs += r.agreement == Agreement::kDiffers;
    missing += r.agreement == Agreement::kNotReplayed;
  }
  out += std::to_string(shots.size()) + " shots: " + std::to_string(exact) + " same, " +
         std::to_string(jitter) + " same but for the speed jitter, " + std::to_string(differs) +
         " different, " + std::to_string(missing) + " not reanalysed\n";
  return out;
}

std::vector<std::pair<ShotRecord, ShotRecord>> PairDeliveredShots(
    const std::vector<ShotRecord>& records) {
  std::vector<std::pair<ShotRecord, ShotRecord>> pairs;
  std::vector<bool> used(records.size(), false);
  const auto seconds = [](const ShotNameParts& p) {
    return ((p.day * 24LL + p.hour) * 60 + p.minute) * 60 + p.second;
  };
  for (const ShotRecord& main : records) {
    if (!main.parts || main.parts->camera != "TopMain" || !main.ini) continue;
    std::optional<size_t> best;
    for (size_t i = 0; i < records.size(); ++i) {
      const ShotRecord& side = records[i];
      if (used[i] || !side.parts || side.parts->camera != "TopSide" || !side.ini) continue;
      if (side.ini->clubType != main.ini->clubType) continue;
      // Both runs start at the same strike: their names are at most a second apart.
      const long long gap = seconds(*main.parts) - seconds(*side.parts);
      if (gap < -1 || gap > 1) continue;
      const auto distance = [&](size_t k) {
        const auto d = records[k].lastWrite - main.lastWrite;
        return d < d.zero() ? -d : d;
      };
      if (!best || distance(i) < distance(*best)) best = i;
    }
    if (!best) continue;
    if (!ShotResultOf(main, records[*best])) continue;
    used[*best] = true;
    pairs.emplace_back(main, records[*best]);
  }
  return pairs;
}

}  // namespace shots
