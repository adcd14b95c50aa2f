#include "json_report.h"

#include <cmath>

namespace accuracy {

namespace {

using json = nlohmann::ordered_json;

json Number(double value) {
  return std::isfinite(value) ? json(value) : json(nullptr);
}

// Means to four decimals: the measurements themselves carry two at most.
json Mean(double value) {
  return Number(std::round(value * 1e4) / 1e4);
}

json Stats(const ErrorStats& stats) {
  return {{"mean_abs", Mean(stats.MeanAbs())},
          {"mean_signed", Mean(stats.MeanSigned())},
          {"count", stats.count()}};
}

json MeasuredJson(const Measured& measured) {
  json out = measured.result;
  if (measured.hasPath()) out.update(measured.path);
  return out;
}

json EventJson(const JoinedEvent& event) {
  json out = event.truth.line;
  out["measured"] = event.deliveries.empty() ? json(nullptr) : MeasuredJson(event.deliveries[0]);
  out["deliveries"] = event.deliveries.size();
  const std::string mark = DeliveryMark(event);
  out["mark"] = mark.empty() ? json(nullptr) : json(mark);
  if (!event.truth.logged) out["logged"] = false;
  return out;
}

}  // namespace

std::string FormatJson(const JoinResult& join, const Summary& summary, bool ok,
                       const std::optional<std::string>& runDir) {
  json shots = json::array();
  for (const JoinedEvent& event : join.events) shots.push_back(EventJson(event));
  json unattributed = json::array();
  for (const Measured& stray : join.unattributed) unattributed.push_back(MeasuredJson(stray));

  const ShotErrors& full = summary.full;
  const ShotErrors& putts = summary.putts;
  json report = {{"shots", shots},
                 {"unattributed", unattributed},
                 {"summary",
                  {{"full",
                    {{"shots", full.shots},
                     {"speed", Stats(full.speed)},
                     {"speed_percent", Stats(full.speedPercent)},
                     {"hla", Stats(full.hla)},
                     {"vla", Stats(full.vla)},
                     {"sidespin", Stats(full.sidespin)},
                     {"backspin", Stats(full.backspin)}}},
                   {"putts",
                    {{"shots", putts.shots},
                     {"speed", Stats(putts.speed)},
                     {"speed_percent", Stats(putts.speedPercent)},
                     {"hla", Stats(putts.hla)}}}}},
                 {"ok", ok}};
  if (runDir) report["run_dir"] = *runDir;
  return report.dump() + "\n";
}

}  // namespace accuracy
