#include "table_report.h"

#include <cmath>
#include <cstdio>

#include "path_class.h"
#include "text_table.h"

namespace accuracy {

namespace {

using Align = TextTable::Align;

std::string Fixed(double value, int decimals, bool sign = false) {
  if (!std::isfinite(value)) return "-";
  char text[64];
  std::snprintf(text, sizeof text, sign ? "%+.*f" : "%.*f", decimals, value);
  return text;
}

// Script times as written: "5.0", "4.25".
std::string Time(double t) {
  std::string text = Fixed(t, 3);
  while (text.size() > 1 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
  return text;
}

std::string Note(const JoinedEvent& event) {
  std::string note = DeliveryMark(event);
  if (!event.truth.logged) note += note.empty() ? "never reached" : " (never reached)";
  if (event.truth.shot && !event.truth.IsPutt() && !event.deliveries.empty() &&
      !event.deliveries.front().hasPath()) {
    note += note.empty() ? "no flight path" : ", no flight path";
  }
  return note;
}

// time kind area hand, five quantities true and measured, path truth and measured, points,
// carry, note.
constexpr size_t kColumns = 19;

std::vector<std::string> Row(const TruthEvent* truth, const Measured* measured,
                             const std::string& note) {
  const auto T = [&](double TruthEvent::*field, int decimals) {
    return truth != nullptr ? Fixed(truth->*field, decimals) : "-";
  };
  const auto M = [&](double (Measured::*get)() const, int decimals) {
    return measured != nullptr ? Fixed((measured->*get)(), decimals) : "-";
  };
  return {truth != nullptr ? Time(truth->t) : "-",
          truth != nullptr ? (truth->shot ? "shot" : "swing") : "-",
          truth != nullptr ? truth->area : "-",
          truth != nullptr ? truth->hand : "-",
          T(&TruthEvent::speed, 2),
          M(&Measured::speed, 2),
          T(&TruthEvent::hla, 2),
          M(&Measured::hla, 2),
          T(&TruthEvent::vla, 2),
          M(&Measured::vla, 2),
          T(&TruthEvent::sidespin, 0),
          M(&Measured::sidespin, 0),
          T(&TruthEvent::backspin, 0),
          M(&Measured::backspin, 0),
          truth != nullptr ? PathSide(truth->path) : "-",
          measured != nullptr ? PathClassText(measured->pathClass()) : "-",
          measured != nullptr ? Fixed(measured->points(), 0) : "-",
          measured != nullptr ? Fixed(measured->carry(), 1) : "-",
          note};
}

std::string ShotTable(const JoinResult& join) {
  std::vector<Align> align(kColumns, Align::kRight);
  for (size_t c : {1, 2, 3, 14, 15, 18}) align[c] = Align::kLeft;
  TextTable table(align);
  const char* groups[] = {"speed m/s", "hla deg", "vla deg", "side spin rpm", "back spin rpm"};
  for (size_t g = 0; g < 5; ++g) table.AddGroup(4 + 2 * g, 5 + 2 * g, groups[g]);
  table.AddGroup(14, 15, "club path");
  table.AddGroup(16, 17, "flight path");
  table.AddRow({"time", "kind", "area", "hand", "true", "meas", "true", "meas", "true", "meas",
                "true", "meas", "true", "meas", "true", "measured", "points", "carry m", "note"});
  for (const JoinedEvent& event : join.events) {
    const Measured* first = event.deliveries.empty() ? nullptr : &event.deliveries.front();
    table.AddRow(Row(&event.truth, first, Note(event)));
  }
  for (const Measured& stray : join.unattributed) {
    table.AddRow(Row(nullptr, &stray, "delivered before any shot"));
  }
  return table.Render();
}

void AddErrors(TextTable* table, const char* name, const ErrorStats& stats, int decimals,
               const char* unit = "") {
  if (stats.count() == 0) return;
  table->AddRow({name, Fixed(stats.MeanAbs(), decimals) + unit,
                 Fixed(stats.MeanSigned(), decimals, true) + unit});
}

std::string ErrorTable(const char* group, const ShotErrors& errors, bool putts) {
  if (errors.shots == 0) return std::string(group) + ": none delivered\n";
  TextTable table({Align::kLeft, Align::kRight, Align::kRight});
  table.AddRow(
      {std::string(group) + " (" + std::to_string(errors.shots) + ")", "mean abs", "mean signed"});
  AddErrors(&table, "  speed m/s", errors.speed, 2);
  AddErrors(&table, "  speed", errors.speedPercent, 1, " %");
  AddErrors(&table, "  hla deg", errors.hla, 2);
  if (!putts) {
    AddErrors(&table, "  vla deg", errors.vla, 2);
    AddErrors(&table, "  side spin rpm", errors.sidespin, 0);
    AddErrors(&table, "  back spin rpm", errors.backspin, 0);
  }
  return table.Render();
}

}  // namespace

std::string FormatTable(const JoinResult& join, const Summary& summary) {
  std::string out = ShotTable(join);
  out += "\nerrors are measured minus true, over each shot's first delivery\n";
  out += ErrorTable("full shots", summary.full, false);
  out += ErrorTable("putts", summary.putts, true);
  out += DeliveredAsPlayed(join) ? "\nevery shot delivered once\n"
                                 : "\nNOT delivered as played: see the notes\n";
  return out;
}

}  // namespace accuracy
