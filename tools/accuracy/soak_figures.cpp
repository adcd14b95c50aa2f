#include "soak_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "text_table.h"

namespace accuracy {

namespace {

using json = nlohmann::ordered_json;

// The warm-up and half-way figures span this many shots: enough for a quiet moment between
// two of them.
constexpr size_t kSpanShots = 5;

constexpr double kFarSpeedPercent = 10.0;
constexpr double kFarPuttSpeedPercent = 25.0;
constexpr double kFarDegrees = 5.0;

constexpr const char* kAreas[] = {"tee", "iron", "rough", "bunker", "putt"};

// True also when either side is missing: NaN compares false.
bool Beyond(double error, double limit) {
  return !(std::fabs(error) <= limit);
}

}  // namespace

DeliveryCounts& DeliveryCounts::operator+=(const DeliveryCounts& other) {
  shotsScripted += other.shotsScripted;
  shotsDelivered += other.shotsDelivered;
  shotsLost += other.shotsLost;
  duplicates += other.duplicates;
  withoutPath += other.withoutPath;
  swingsScripted += other.swingsScripted;
  swingsDelivered += other.swingsDelivered;
  unattributed += other.unattributed;
  return *this;
}

bool DeliveryCounts::AsPlayed() const {
  return shotsLost == 0 && duplicates == 0 && withoutPath == 0 && swingsDelivered == 0 &&
         unattributed == 0;
}

DeliveryCounts CountDeliveries(const JoinResult& join) {
  DeliveryCounts c;
  for (const JoinedEvent& e : join.events) {
    const size_t n = e.deliveries.size();
    if (!e.truth.shot) {
      ++c.swingsScripted;
      c.swingsDelivered += n > 0 ? 1 : 0;
      continue;
    }
    ++c.shotsScripted;
    if (n == 0) {
      ++c.shotsLost;
      continue;
    }
    ++c.shotsDelivered;
    c.duplicates += n - 1;
    if (!e.truth.IsPutt() && !e.deliveries.front().hasPath()) ++c.withoutPath;
  }
  c.unattributed = join.unattributed.size();
  return c;
}

double ResourceFigures::RssGrowthPercent() const {
  return rssWarmKiB > 0 ? 100.0 * static_cast<double>(RssGrowthKiB()) / rssWarmKiB : kNoValue;
}

ResourceFigures ResourceFiguresOf(const std::vector<ResourceSample>& samples, size_t warmUpShots) {
  ResourceFigures f;
  f.warmUpShots = warmUpShots;
  size_t last = 0;
  for (const ResourceSample& s : samples) last = std::max(last, s.results);
  const auto warm = std::find_if(samples.begin(), samples.end(),
                                 [&](const ResourceSample& s) { return s.results >= warmUpShots; });
  if (warm == samples.end()) return f;
  f.measured = true;
  // The least over the samples whose result count lies in [from, to].
  const auto least = [&](size_t from, size_t to, auto field) {
    auto value = (*warm).*field;
    bool seen = false;
    for (auto s = warm; s != samples.end(); ++s) {
      if (s->results < from || s->results > to) continue;
      value = seen ? std::min(value, (*s).*field) : (*s).*field;
      seen = true;
    }
    return value;
  };
  const size_t warmFrom = warm->results;
  const size_t half = warmFrom + (last - warmFrom) / 2;
  f.rssWarmKiB = least(warmFrom, warmFrom + kSpanShots, &ResourceSample::rssKiB);
  f.fdsWarm = least(warmFrom, warmFrom + kSpanShots, &ResourceSample::fds);
  f.rssHalfKiB = least(half, half + kSpanShots, &ResourceSample::rssKiB);
  f.rssEndKiB = least(last, last, &ResourceSample::rssKiB);
  f.fdsEnd = least(last, last, &ResourceSample::fds);
  f.rssPeakKiB = warm->rssKiB;
  for (const ResourceSample& s : samples) f.rssPeakKiB = std::max(f.rssPeakKiB, s.rssKiB);
  return f;
}

bool FarOff(const JoinedEvent& event) {
  if (!event.truth.shot || event.deliveries.empty()) return false;
  const TruthEvent& t = event.truth;
  const Measured& m = event.deliveries.front();
  const double speedPercent = (m.speed() - t.speed) / t.speed * 100.0;
  if (Beyond(speedPercent, t.IsPutt() ? kFarPuttSpeedPercent : kFarSpeedPercent)) return true;
  if (Beyond(m.hla() - t.hla, kFarDegrees)) return true;
  return !t.IsPutt() && Beyond(m.vla() - t.vla, kFarDegrees);
}

std::vector<AreaAccuracy> AccuracyByArea(const JoinResult& join) {
  std::vector<AreaAccuracy> areas;
  for (const char* area : kAreas) {
    AreaAccuracy a;
    a.area = area;
    JoinResult only;
    for (const JoinedEvent& e : join.events) {
      if (e.truth.area != area || !e.truth.shot) continue;
      ++a.scripted;
      a.farOff += FarOff(e) ? 1 : 0;
      only.events.push_back(e);
    }
    const Summary summary = Summarise(only);
    a.errors = a.area == "putt" ? summary.putts : summary.full;
    areas.push_back(std::move(a));
  }
  return areas;
}

double SoakRunFigures::ShotsPerSecond() const {
  return sensorSeconds > 0 ? static_cast<double>(counts.shotsDelivered) / sensorSeconds : kNoValue;
}

bool SoakRunFigures::Ok() const {
  return counts.AsPlayed() && !resources.FdsGrew() && sensorStatus == 0;
}

SoakRunFigures FiguresOf(const SoakRun& run) {
  SoakRunFigures f;
  f.hand = run.hand;
  f.counts = CountDeliveries(run.join);
  f.resources = ResourceFiguresOf(run.samples, run.warmUpShots);
  f.results = run.join.unattributed.size();
  for (const JoinedEvent& e : run.join.events) f.results += e.deliveries.size();
  f.sessionSeconds = run.sessionSeconds;
  f.sensorSeconds = run.sensorSeconds;
  f.sensorStatus = run.sensorStatus;
  return f;
}

std::vector<std::string> SoakFailures(const std::vector<SoakRunFigures>& runs) {
  std::vector<std::string> failures;
  for (const SoakRunFigures& r : runs) {
    const auto add = [&](size_t n, const char* one, const char* many) {
      if (n > 0)
        failures.push_back(r.hand + ": " + std::to_string(n) + " " + (n == 1 ? one : many));
    };
    add(r.counts.shotsLost, "shot lost", "shots lost");
    add(r.counts.duplicates, "extra delivery", "extra deliveries");
    add(r.counts.withoutPath, "full shot without its flight path",
        "full shots without their flight paths");
    add(r.counts.swingsDelivered, "practice swing delivered", "practice swings delivered");
    add(r.counts.unattributed, "result before any truth", "results before any truth");
    if (r.resources.FdsGrew()) {
      failures.push_back(r.hand + ": descriptors " + std::to_string(r.resources.fdsWarm) + " -> " +
                         std::to_string(r.resources.fdsEnd));
    }
    if (r.sensorStatus != 0) {
      failures.push_back(r.hand + ": the sensor ended with status " +
                         std::to_string(r.sensorStatus));
    }
  }
  return failures;
}

namespace {

std::string Fixed(double value, int decimals, bool sign = false) {
  if (!std::isfinite(value)) return "-";
  char text[64];
  std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
  return text;
}

std::string Count(size_t n) {
  return std::to_string(n);
}

std::string MeanPair(const ErrorStats& stats, int decimals) {
  if (stats.count() == 0) return "-";
  return Fixed(stats.MeanAbs(), decimals) + " (" + Fixed(stats.MeanSigned(), decimals, true) + ")";
}

struct SoakTotals {
  std::vector<SoakRunFigures> runs;
  SoakRunFigures all;
  JoinResult joined;  // every run's events, for the accuracy by area
};

SoakTotals Totals(const std::vector<SoakRun>& runs) {
  SoakTotals t;
  t.all.hand = "all";
  t.all.sensorStatus = 0;
  for (const SoakRun& run : runs) {
    SoakRunFigures f = FiguresOf(run);
    t.all.counts += f.counts;
    t.all.results += f.results;
    t.all.sessionSeconds += f.sessionSeconds;
    t.all.sensorSeconds += f.sensorSeconds;
    if (f.sensorStatus != 0) t.all.sensorStatus = f.sensorStatus;
    t.runs.push_back(std::move(f));
    t.joined.events.insert(t.joined.events.end(), run.join.events.begin(), run.join.events.end());
    t.joined.unattributed.insert(t.joined.unattributed.end(), run.join.unattributed.begin(),
                                 run.join.unattributed.end());
  }
  return t;
}

using Align = TextTable::Align;

std::string FiguresTable(const SoakTotals& t) {
  std::vector<Align> align{Align::kLeft};
  std::vector<std::string> head{""};
  for (const SoakRunFigures& r : t.runs) {
    align.push_back(Align::kRight);
    head.push_back(r.hand + "-handed");
  }
  align.push_back(Align::kRight);
  head.push_back("all");
  TextTable table(align);
  table.AddRow(head);
  const auto row = [&](const std::string& label, auto cell, bool total) {
    std::vector<std::string> cells{label};
    for (const SoakRunFigures& r : t.runs) cells.push_back(cell(r));
    cells.push_back(total ? cell(t.all) : "");
    table.AddRow(cells);
  };
  using F = const SoakRunFigures&;
  row(
      "shots scripted", [](F r) { return Count(r.counts.shotsScripted); }, true);
  row(
      "  delivered, joined to their truth", [](F r) { return Count(r.counts.shotsDelivered); },
      true);
  row(
      "  lost", [](F r) { return Count(r.counts.shotsLost); }, true);
  row(
      "  extra deliveries", [](F r) { return Count(r.counts.duplicates); }, true);
  row(
      "  full shots without flight path", [](F r) { return Count(r.counts.withoutPath); }, true);
  row(
      "practice swings scripted", [](F r) { return Count(r.counts.swingsScripted); }, true);
  row(
      "  delivered as shots", [](F r) { return Count(r.counts.swingsDelivered); }, true);
  row(
      "results before any truth", [](F r) { return Count(r.counts.unattributed); }, true);
  const auto measured = [](F r, auto value) {
    return r.resources.measured ? value(r.resources) : std::string("-");
  };
  using R = const ResourceFigures&;
  row(
      "warm-up after shots", [&](F r) { return Count(r.resources.warmUpShots); }, false);
  row(
      "RSS at warm-up KiB",
      [&](F r) { return measured(r, [](R m) { return std::to_string(m.rssWarmKiB); }); }, false);
  row(
      "RSS at end KiB",
      [&](F r) { return measured(r, [](R m) { return std::to_string(m.rssEndKiB); }); }, false);
  row(
      "RSS growth KiB",
      [&](F r) { return measured(r, [](R m) { return Fixed(m.RssGrowthKiB(), 0, true); }); },
      false);
  row(
      "RSS growth %",
      [&](F r) { return measured(r, [](R m) { return Fixed(m.RssGrowthPercent(), 2, true); }); },
      false);
  row(
      "RSS growth in the second half KiB",
      [&](F r) {
        return measured(r, [](R m) { return Fixed(m.RssSecondHalfGrowthKiB(), 0, true); });
      },
      false);
  row(
      "RSS peak KiB",
      [&](F r) { return measured(r, [](R m) { return std::to_string(m.rssPeakKiB); }); }, false);
  row(
      "descriptors at warm-up",
      [&](F r) { return measured(r, [](R m) { return std::to_string(m.fdsWarm); }); }, false);
  row(
      "descriptors at end",
      [&](F r) { return measured(r, [](R m) { return std::to_string(m.fdsEnd); }); }, false);
  row(
      "session seconds", [](F r) { return Fixed(r.sessionSeconds, 1); }, true);
  row(
      "sensor seconds", [](F r) { return Fixed(r.sensorSeconds, 1); }, true);
  row(
      "shots per second", [](F r) { return Fixed(r.ShotsPerSecond(), 2); }, true);
  return table.Render();
}

std::string AccuracyTable(const std::vector<AreaAccuracy>& areas) {
  TextTable table({Align::kLeft, Align::kRight, Align::kRight, Align::kRight, Align::kRight,
                   Align::kRight, Align::kRight, Align::kRight});
  table.AddGroup(3, 6, "mean abs error (mean signed), measured minus true");
  table.AddRow({"area", "shots", "delivered", "speed %", "horizontal deg", "vertical deg",
                "back spin rpm", "far off"});
  for (const AreaAccuracy& a : areas) {
    table.AddRow({a.area, Count(a.scripted), Count(a.errors.shots),
                  MeanPair(a.errors.speedPercent, 1), MeanPair(a.errors.hla, 2),
                  MeanPair(a.errors.vla, 2), MeanPair(a.errors.backspin, 0), Count(a.farOff)});
  }
  return table.Render();
}

json StatsJson(const ErrorStats& stats) {
  const auto number = [](double v) { return std::isfinite(v) ? json(v) : json(nullptr); };
  return {{"mean_abs", number(stats.MeanAbs())},
          {"mean_signed", number(stats.MeanSigned())},
          {"count", stats.count()}};
}

json CountsJson(const SoakRunFigures& r) {
  return {{"hand", r.hand},
          {"shots_scripted", r.counts.shotsScripted},
          {"shots_delivered", r.counts.shotsDelivered},
          {"shots_lost", r.counts.shotsLost},
          {"duplicates", r.counts.duplicates},
          {"without_path", r.counts.withoutPath},
          {"swings_scripted", r.counts.swingsScripted},
          {"swings_delivered", r.counts.swingsDelivered},
          {"unattributed", r.counts.unattributed},
          {"results", r.results},
          {"session_seconds", r.sessionSeconds},
          {"sensor_seconds", r.sensorSeconds},
          {"shots_per_second",
           std::isfinite(r.ShotsPerSecond()) ? json(r.ShotsPerSecond()) : json(nullptr)},
          {"sensor_status", r.sensorStatus}};
}

}  // namespace

std::string FormatSoakText(const std::vector<SoakRun>& runs, double runSeconds) {
  const SoakTotals t = Totals(runs);
  std::string out = FiguresTable(t) + "\naccuracy by shot kind, first deliveries, all runs\n" +
                    AccuracyTable(AccuracyByArea(t.joined));
  out += "far off: speed beyond 10 % (putts 25 %), horizontal or vertical beyond 5 deg\n";
  out += "run time " + Fixed(runSeconds, 1) + " s\n";
  const std::vector<std::string> failures = SoakFailures(t.runs);
  if (failures.empty()) {
    out +=
        "soak passed: every shot delivered once, no practice swing delivered, descriptors flat\n";
  } else {
    out += "soak FAILED:";
    for (size_t i = 0; i < failures.size(); ++i) out += (i == 0 ? " " : "; ") + failures[i];
    out += "\n";
  }
  return out;
}

std::string FormatSoakJson(const std::vector<SoakRun>& runs, double runSeconds) {
  const SoakTotals t = Totals(runs);
  json out;
  out["runs"] = json::array();
  for (const SoakRunFigures& r : t.runs) {
    json run = CountsJson(r);
    const ResourceFigures& m = r.resources;
    run["warm_up_shots"] = m.warmUpShots;
    run["resources_measured"] = m.measured;
    if (m.measured) {
      run["rss_warm_kib"] = m.rssWarmKiB;
      run["rss_end_kib"] = m.rssEndKiB;
      run["rss_growth_kib"] = m.RssGrowthKiB();
      run["rss_growth_percent"] = m.RssGrowthPercent();
      run["rss_half_kib"] = m.rssHalfKiB;
      run["rss_peak_kib"] = m.rssPeakKiB;
      run["fds_warm"] = m.fdsWarm;
      run["fds_end"] = m.fdsEnd;
    }
    run["ok"] = r.Ok();
    out["runs"].push_back(run);
  }
  out["total"] = CountsJson(t.all);
  out["areas"] = json::array();
  for (const AreaAccuracy& a : AccuracyByArea(t.joined)) {
    out["areas"].push_back({{"area", a.area},
                            {"scripted", a.scripted},
                            {"delivered", a.errors.shots},
                            {"far_off", a.farOff},
                            {"speed_percent", StatsJson(a.errors.speedPercent)},
                            {"hla", StatsJson(a.errors.hla)},
                            {"vla", StatsJson(a.errors.vla)},
                            {"backspin", StatsJson(a.errors.backspin)}});
  }
  out["run_seconds"] = runSeconds;
  const std::vector<std::string> failures = SoakFailures(t.runs);
  out["failures"] = failures;
  out["ok"] = failures.empty();
  return out.dump() + "\n";
}

}  // namespace accuracy
