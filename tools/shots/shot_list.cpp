#include "shot_list.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <optional>

#include "path_class.h"
#include "text_table.h"

namespace shots {
namespace {

// One row's cells, as text, blank where the record has no value.
struct Row {
  std::string time, camera, club, outcome, speed, hAngle, vAngle, sideSpin, backSpin, pathClass,
      directory, problem;
};

std::string Fixed(double value, int decimals) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

Row MakeRow(const ShotRecord& r) {
  Row row;
  row.directory = r.name;
  row.problem = r.problem;
  if (r.parts) {
    row.time = r.parts->TimeText();
    row.camera = r.parts->camera == "TopMain" ? "main" : "side";
    row.outcome = OutcomeText(r.outcome());
  }
  if (r.ini) row.club = ClubAreaText(r.ini->clubType);
  if (r.Delivered()) {
    const ResultLine& v = *r.log.result;
    row.speed = Fixed(v.speed, 2);
    row.hAngle = Fixed(v.hAngle, 2);
    row.vAngle = Fixed(v.vAngle, 2);
    row.sideSpin = Fixed(v.sideSpin, 0);
    row.backSpin = Fixed(v.backSpin, 0);
    if (r.log.pathClass) row.pathClass = accuracy::PathClassText(*r.log.pathClass);
  }
  return row;
}

std::vector<std::string> Cells(const Row& r) {
  return {r.time,   r.camera,   r.club,     r.outcome,   r.speed,     r.hAngle,
          r.vAngle, r.sideSpin, r.backSpin, r.pathClass, r.directory, r.problem};
}

const std::vector<std::string> kHeader = {
    "time",        "camera",        "club",          "outcome",   "speed_mps", "h_angle_deg",
    "v_angle_deg", "side_spin_rpm", "back_spin_rpm", "club_path", "directory", "problem"};

std::string CsvCell(const std::string& cell) {
  if (cell.find_first_of(",\"\n\r") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char c : cell) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  return quoted + "\"";
}

}  // namespace

std::string ListTable(const std::vector<ShotRecord>& records) {
  using Align = accuracy::TextTable::Align;
  accuracy::TextTable table({Align::kLeft, Align::kLeft, Align::kLeft, Align::kLeft, Align::kRight,
                             Align::kRight, Align::kRight, Align::kRight, Align::kRight,
                             Align::kLeft, Align::kLeft});
  table.AddRow({"time", "camera", "club", "outcome", "speed m/s", "horiz °", "vert °", "side rpm",
                "back rpm", "club path", "directory / problem"});
  for (const ShotRecord& r : records) {
    Row row = MakeRow(r);
    std::vector<std::string> cells = Cells(row);
    cells.pop_back();
    // A record that cannot be read says why in place of its name's tail.
    if (!row.problem.empty()) cells.back() = row.directory + ": " + row.problem;
    table.AddRow(cells);
  }
  return table.Render();
}

std::string ListCsv(const std::vector<ShotRecord>& records) {
  std::string out;
  const auto line = [&](const std::vector<std::string>& cells) {
    for (size_t i = 0; i < cells.size(); ++i) out += (i ? "," : "") + CsvCell(cells[i]);
    out += "\r\n";  // RFC 4180
  };
  line(kHeader);
  for (const ShotRecord& r : records) line(Cells(MakeRow(r)));
  return out;
}

std::string ListJson(const std::vector<ShotRecord>& records) {
  nlohmann::ordered_json rows = nlohmann::ordered_json::array();
  for (const ShotRecord& r : records) {
    nlohmann::ordered_json row;
    const auto text = [](const std::string& s) {
      return s.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(s);
    };
    const Row cells = MakeRow(r);
    row["time"] = text(cells.time);
    row["camera"] = text(cells.camera);
    row["club"] = text(cells.club);
    row["outcome"] = text(cells.outcome);
    const bool values = r.Delivered();
    const ResultLine v = values ? *r.log.result : ResultLine{};
    const auto number = [&](double x) {
      return values ? nlohmann::ordered_json(x) : nlohmann::ordered_json();
    };
    row["speed_mps"] = number(v.speed);
    row["h_angle_deg"] = number(v.hAngle);
    row["v_angle_deg"] = number(v.vAngle);
    row["side_spin_rpm"] = number(v.sideSpin);
    row["back_spin_rpm"] = number(v.backSpin);
    row["club_path_class"] = values && r.log.pathClass ? nlohmann::ordered_json(*r.log.pathClass)
                                                       : nlohmann::ordered_json();
    row["club_path"] = text(cells.pathClass);
    row["directory"] = r.name;
    row["problem"] = text(r.problem);
    rows.push_back(std::move(row));
  }
  // Names of foreign files may hold any bytes: replaced, never a throw.
  return rows.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

}  // namespace shots
