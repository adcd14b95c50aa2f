#include "reanalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <regex>

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

// Past the jitter step the numbers the speed reaches may differ, but not which steps ran nor the
// installation's values the lines name (the fields called "...Adj..."): those are the settings.
bool SameButForTheSpeed(const std::string& a, const std::string& b) {
  static const std::regex kNumber(R"(-?\d+(\.\d+)?)");
  if (std::regex_replace(a, kNumber, "#") != std::regex_replace(b, kNumber, "#")) return false;
  static const std::regex kSetting(R"(\w*Adj\w* : -?[\d.]+)");
  const auto settings = [](const std::string& line) {
    std::vector<std::string> found;
    for (auto it = std::sregex_iterator(line.begin(), line.end(), kSetting);
         it != std::sregex_iterator(); ++it) {
      found.push_back(it->str());
    }
    return found;
  };
  return settings(a) == settings(b);
}

std::string LineDifference(const std::vector<std::string>& a, const std::vector<std::string>& b,
                           size_t i) {
  return "line " + std::to_string(i + 1) + ": recorded \"" +
         (i < a.size() ? a[i] : std::string("(end)")) + "\", reanalysed \"" +
         (i < b.size() ? b[i] : std::string("(end)")) + "\"";
}

LogComparison CompareLogs(const std::string& camera, const ShotRecord& recorded,
                          const ShotRecord& reanalysed) {
  LogComparison c;
  c.camera = camera;
  c.recordedJitter = recorded.log.speedJitter;
  c.reanalysedJitter = reanalysed.log.speedJitter;
  const auto& a = recorded.log.lines;
  const auto& b = reanalysed.log.lines;
  size_t i = 0;
  while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
  c.identical = i == a.size() && i == b.size();
  if (c.identical) {
    c.agreeToJitter = true;
    return c;
  }
  c.firstDifference = LineDifference(a, b, i);
  const auto reach = JitterReach(recorded.log);
  if (!reach || i < *reach || JitterReach(reanalysed.log) != reach) return c;
  for (size_t k = i; k < std::max(a.size(), b.size()); ++k) {
    if (k >= a.size() || k >= b.size() || !SameButForTheSpeed(a[k], b[k])) {
      c.firstDifference = LineDifference(a, b, k);
      return c;
    }
  }
  c.agreeToJitter = true;
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
                             Jitter(c.reanalysedJitter) + " reanalysed";
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
    case Agreement::kNotReanalysed:
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

Reanalysis Compare(const ShotRecord& main, const ShotRecord& side, const RunResult& run) {
  Reanalysis r;
  r.mainName = main.name;
  r.sideName = side.name;
  r.notes = run.notes;
  r.error = run.error;
  r.recorded = ShotResultOf(main, side);
  r.reanalysed = ShotResultOf(run.main, run.side);
  // A replay's watch re-finds the resting ball every frame from where it found it the frame
  // before, starting in the home window, while the replay shows the centred picture from the
  // start: the box it ends with may lie a pixel off the recorded one, and every angle with it.
  const auto box = [](const Box& b) {
    return std::to_string(b.x) + "," + std::to_string(b.y) + " " + std::to_string(b.width) + "x" +
           std::to_string(b.height);
  };
  const std::pair<const ShotRecord*, const std::optional<ShotRecord>*> cameras[] = {
      {&main, &run.main}, {&side, &run.side}};
  for (const auto& [recorded, reanalysed] : cameras) {
    if (!recorded->ini || !*reanalysed || !(*reanalysed)->ini) continue;
    const Box& a = recorded->ini->foundBallArea;
    const Box& b = (*reanalysed)->ini->foundBallArea;
    if (a.x != b.x || a.y != b.y || a.width != b.width || a.height != b.height) {
      r.notes.push_back(recorded->parts->camera + " resting ball box " + box(b) + ", recorded " +
                        box(a) +
                        " (found again on the reanalysed frames, not taken from shot.ini)");
    }
  }
  if (run.main) r.logs.push_back(CompareLogs("main", main, *run.main));
  if (run.side) r.logs.push_back(CompareLogs("side", side, *run.side));
  if (!run.main && !run.side) return r;
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
  for (const std::string& note : r.notes) out += "run:        " + note + "\n";
  if (!r.error.empty()) out += "problem:    " + r.error + "\n";
  using Align = accuracy::TextTable::Align;
  accuracy::TextTable table({Align::kLeft, Align::kRight, Align::kRight, Align::kRight});
  table.AddRow({"", "recorded", "reanalysed", "change"});
  for (const Quantity& q : kQuantities) {
    std::vector<std::string> row = {q.name};
    row.push_back(r.recorded ? Fixed(r.recorded->values.*q.field, q.decimals) : "-");
    row.push_back(r.reanalysed ? Fixed(r.reanalysed->values.*q.field, q.decimals) : "-");
    if (r.recorded && r.reanalysed) {
      const double a = r.recorded->values.*q.field, b = r.reanalysed->values.*q.field;
      std::string change = Fixed(b - a, q.decimals, true);
      if (q.field == &ResultLine::speed && a != 0) {
        change += " (" + Fixed((b - a) / a * 100, 2, true) + " %)";
      }
      row.push_back(change);
    }
    table.AddRow(row);
  }
  table.AddRow({"club path", r.recorded ? PathText(r.recorded->pathClass) : "-",
                r.reanalysed ? PathText(r.reanalysed->pathClass) : "-"});
  table.AddRow({"club area", r.recorded ? ClubAreaText(r.recorded->clubType) : "-",
                r.reanalysed ? ClubAreaText(r.reanalysed->clubType) : "-"});
  out += table.Render();
  for (const LogComparison& c : r.logs) out += Describe(c.camera, c) + "\n";
  if (r.logs.size() < 2 && r.error.empty()) out += "a camera left no finished record\n";
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
      row.push_back(r.reanalysed ? Fixed(r.reanalysed->values.*q.field, q.decimals) : "-");
      row.push_back(
          r.recorded && r.reanalysed
              ? Fixed(r.reanalysed->values.*q.field - r.recorded->values.*q.field, q.decimals, true)
              : "");
    }
    row.push_back(AgreementText(r.agreement));
    table.AddRow(row);
    if (!r.recorded || !r.reanalysed) continue;
    ++measured;
    for (size_t i = 0; i < std::size(kQuantities); ++i) {
      sums[i] +=
          r.reanalysed->values.*kQuantities[i].field - r.recorded->values.*kQuantities[i].field;
    }
    if (r.recorded->values.speed != 0) {
      speedPercent +=
          (r.reanalysed->values.speed - r.recorded->values.speed) / r.recorded->values.speed * 100;
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
    missing += r.agreement == Agreement::kNotReanalysed;
  }
  out += std::to_string(shots.size()) + " shots: " + std::to_string(exact) + " same, " +
         std::to_string(jitter) + " same but for the speed jitter, " + std::to_string(differs) +
         " different, " + std::to_string(missing) + " not reanalysed\n";
  return out;
}

namespace {

// How well a side camera's record fits a main camera's of the same club type and second: the
// angle the main camera took from it, then the same outcome (both delivered, both refused).
// File times come last: a copied folder may have lost them.
int PairingFit(const ShotRecord& main, const ShotRecord& side) {
  int fit = 0;
  const auto& taken = main.log.sideHAngle;
  if (taken && side.outcome() == Outcome::kDelivered &&
      std::abs(std::round(*taken * 100) / 100 - side.parts->hAngle) < 0.005) {
    fit += 2;
  }
  if (main.outcome() == side.outcome()) fit += 1;
  return fit;
}

}  // namespace

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
    const auto distance = [&](size_t k) {
      const auto d = records[k].lastWrite - main.lastWrite;
      return d < d.zero() ? -d : d;
    };
    for (size_t i = 0; i < records.size(); ++i) {
      const ShotRecord& side = records[i];
      if (used[i] || !side.parts || side.parts->camera != "TopSide" || !side.ini) continue;
      if (side.ini->clubType != main.ini->clubType) continue;
      // Both runs start at the same strike: their names are at most a second apart.
      const long long gap = seconds(*main.parts) - seconds(*side.parts);
      if (gap < -1 || gap > 1) continue;
      if (!best) {
        best = i;
        continue;
      }
      const int fit = PairingFit(main, side), bestFit = PairingFit(main, records[*best]);
      if (fit > bestFit || (fit == bestFit && distance(i) < distance(*best))) best = i;
    }
    if (!best) continue;
    if (!ShotResultOf(main, records[*best])) continue;
    used[*best] = true;
    pairs.emplace_back(main, records[*best]);
  }
  return pairs;
}

}  // namespace shots
