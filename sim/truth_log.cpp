#include "truth_log.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace sim {
namespace {

// Shortest text that reads back as the value, always with a decimal point ("45.0", "2.5").
std::string Decimal(double v) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, r.ptr);
  if (s.find_first_of(".en") == std::string::npos) s += ".0";
  return s;
}

std::string Whole(double v) {
  return std::to_string(std::llround(v));
}

}  // namespace

std::string TruthLine(const SessionEvent& e) {
  const bool shot = e.kind == EventKind::kShot;
  std::string s = "{\"t\":" + Decimal(e.t) + ",\"kind\":\"" + (shot ? "shot" : "swing") +
                  "\",\"area\":\"" + SpotName(e.spot) + "\",\"hand\":\"" +
                  (e.strike.right_hand ? "right" : "left") + "\"";
  if (shot) {
    s += ",\"speed\":" + Decimal(e.strike.speed) + ",\"hla\":" + Decimal(e.strike.hla) +
         ",\"vla\":" + Decimal(e.strike.vla) + ",\"backspin\":" + Whole(e.strike.backspin) +
         ",\"sidespin\":" + Whole(e.strike.sidespin);
  }
  s += ",\"path\":" + Decimal(e.strike.path) + ",\"club\":\"" +
       (e.strike.club == ClubFinish::kChrome ? "chrome" : "dark") + "\"}";
  return s;
}

void AppendTruth(const std::string& line) {
  std::FILE* f = std::fopen(kTruthFile, "a");
  if (f == nullptr) {
    std::fprintf(stderr, "varnok_sim: cannot append to %s\n", kTruthFile);
    return;
  }
  std::fprintf(f, "%s\n", line.c_str());
  std::fclose(f);
}

}  // namespace sim
