#include "shot_name_parts.h"

#include <cstdio>
#include <regex>

namespace shots {

const char* OutcomeText(Outcome outcome) {
  switch (outcome) {
    case Outcome::kDelivered:
      return "delivered";
    case Outcome::kNoShot:
      return "no shot";
    case Outcome::kEmptySwing:
      return "empty swing";
    case Outcome::kLowFrameRate:
      return "low frame rate";
    case Outcome::kUnfinished:
      break;
  }
  return "unfinished";
}

std::string ShotNameParts::TimeText() const {
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                second);
  return text;
}

std::optional<ShotNameParts> ParseShotName(const std::string& name) {
  // The fields are the sensor's "%d-%d-%d-%d-%d-%d(%s)"; the bounds keep stoi far from overflow.
  static const std::regex kName(
      R"(^(\d{1,5})-(\d{1,2})-(\d{1,2})-(\d{1,2})-(\d{1,2})-(\d{1,2})\((TopMain|TopSide)\))"
      R"((.*)$)");
  static const std::regex kDelivered(
      R"(^\(S (-?\d+\.\d\d)\)\(H (-?\d+\.\d\d)\)\(V (-?\d+\.\d\d)\)$)");
  std::smatch m;
  if (!std::regex_match(name, m, kName)) return std::nullopt;
  ShotNameParts parts;
  int* fields[] = {&parts.year, &parts.month,  &parts.day,
                   &parts.hour, &parts.minute, &parts.second};
  for (int i = 0; i < 6; ++i) *fields[i] = std::stoi(m[i + 1].str());
  parts.camera = m[7].str();
  const std::string suffix = m[8].str();
  std::smatch v;
  if (suffix.empty()) {
    parts.outcome = Outcome::kUnfinished;
  } else if (suffix == "---") {
    parts.outcome = Outcome::kNoShot;
  } else if (suffix == "(fps)---") {
    parts.outcome = Outcome::kLowFrameRate;
  } else if (std::regex_match(suffix, v, kDelivered)) {
    parts.outcome = Outcome::kDelivered;
    parts.speed = std::stod(v[1].str());
    parts.hAngle = std::stod(v[2].str());
    parts.vAngle = std::stod(v[3].str());
  } else {
    return std::nullopt;
  }
  return parts;
}

}  // namespace shots
