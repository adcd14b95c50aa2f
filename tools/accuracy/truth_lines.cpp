#include "truth_lines.h"

namespace accuracy {

std::vector<TruthEvent> ParseTruthLines(const std::string& text) {
  std::vector<TruthEvent> events;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    nlohmann::ordered_json line =
        nlohmann::ordered_json::parse(text.substr(start, end - start), nullptr, false);
    start = end + 1;
    if (!line.is_object() || !line.contains("t") || !line["t"].is_number()) continue;
    TruthEvent e;
    e.t = line["t"].get<double>();
    e.shot = TextField(line, "kind") == "shot";
    e.area = TextField(line, "area");
    e.hand = TextField(line, "hand");
    e.speed = NumberField(line, "speed");
    e.hla = NumberField(line, "hla");
    e.vla = NumberField(line, "vla");
    e.backspin = NumberField(line, "backspin");
    e.sidespin = NumberField(line, "sidespin");
    e.path = NumberField(line, "path");
    e.line = std::move(line);
    events.push_back(std::move(e));
  }
  return events;
}

}  // namespace accuracy
