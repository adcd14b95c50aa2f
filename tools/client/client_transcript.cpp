#include "client_transcript.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "clientlink/client_link.h"

namespace clienttool {

namespace {

// JSON has no NaN or infinity; a garbage record must still give a line a parser accepts.
void AppendNumber(std::string* line, const char* key, double value, int decimals) {
  char text[64];
  if (std::isfinite(value)) {
    std::snprintf(text, sizeof text, ",\"%s\":%.*f", key, decimals, value);
  } else {
    std::snprintf(text, sizeof text, ",\"%s\":null", key);
  }
  *line += text;
}

void AppendWhole(std::string* line, const char* key, long long value) {
  char text[64];
  std::snprintf(text, sizeof text, ",\"%s\":%lld", key, value);
  *line += text;
}

void AppendShot(std::string* line, const ShotResultRecord& shot) {
  AppendWhole(line, "clubCode", shot.m_clubCode);
  AppendWhole(line, "clubType", shot.m_clubType);
  AppendWhole(line, "pathClass", shot.m_pathClass);
  AppendNumber(line, "hAngle", shot.m_HAngle, 2);
  AppendNumber(line, "vAngle", shot.m_VAngle, 2);
  AppendNumber(line, "speed", shot.m_speed, 2);
  AppendNumber(line, "derivedSpeed", shot.m_derivedSpeed, 2);
  AppendNumber(line, "backSpin", shot.m_backSpin, 1);
  AppendNumber(line, "sideSpin", shot.m_sideSpin, 1);
}

void AppendAreas(std::string* line, const clientlink::AreaFlagsRecord& areas) {
  *line += ",\"areas\":[";
  for (int i = 0; i < clientlink::kAreaCount; ++i) {
    if (i > 0) *line += ',';
    *line += std::to_string(areas.m_flags[i]);
  }
  *line += ']';
}

// Carry is the distance along the target line where the path ends, side its sideways offset
// there, apex the greatest height.
void AppendPath(std::string* line, const clientlink::FlightPathRecord& path, int64_t lParam) {
  const int points =
      static_cast<int>(lParam < 0                               ? 0
                       : lParam > clientlink::kFlightPathPoints ? clientlink::kFlightPathPoints
                                                                : lParam);
  double apex = 0.0;
  for (int i = 0; i < points; ++i) apex = std::fmax(apex, path.m_points[i][1]);
  const double carry = points > 0 ? path.m_points[points - 1][2] : 0.0;
  const double side = points > 0 ? path.m_points[points - 1][0] : 0.0;
  AppendWhole(line, "points", lParam);
  AppendNumber(line, "carry", carry, 1);
  AppendNumber(line, "apex", apex, 1);
  AppendNumber(line, "side", side, 1);
}

}  // namespace

bool CarriesPayload(uint32_t code) {
  return code == clientlink::CODE_SHOT_RESULT || code == clientlink::CODE_AREA_FLAGS ||
         code == clientlink::CODE_FLIGHT_PATH;
}

void CaptureMessage(uint32_t code, int64_t lParam, const uint8_t* block, ReceivedMessage* out) {
  out->code = code;
  out->lParam = lParam;
  out->hasPayload = block != nullptr && CarriesPayload(code);
  if (!out->hasPayload) return;
  size_t bytes = sizeof(clientlink::FlightPathRecord);
  if (code == clientlink::CODE_SHOT_RESULT) bytes = sizeof(ShotResultRecord);
  if (code == clientlink::CODE_AREA_FLAGS) bytes = sizeof(clientlink::AreaFlagsRecord);
  std::memcpy(out->payload, block, bytes);
}

std::string FormatTranscriptLine(const ReceivedMessage& message) {
  std::string line = "{\"code\":" + std::to_string(message.code);
  if (CarriesPayload(message.code) && !message.hasPayload) {
    line += ",\"error\":\"no shared block\"";
  } else {
    switch (message.code) {
      case clientlink::CODE_SHOT_RESULT:
        AppendShot(&line, PayloadAs<ShotResultRecord>(message));
        break;
      case clientlink::CODE_AREA_FLAGS:
        AppendAreas(&line, PayloadAs<clientlink::AreaFlagsRecord>(message));
        break;
      case clientlink::CODE_FLIGHT_PATH:
        AppendPath(&line, PayloadAs<clientlink::FlightPathRecord>(message), message.lParam);
        break;
      case clientlink::CODE_BALL_READY:
        AppendWhole(&line, "clubType", message.lParam);
        break;
      case clientlink::CODE_BALL_NOT_READY:
      case clientlink::CODE_BOTH_CAPTURING:
      case clientlink::CODE_MAIN_NOT_CAPTURING:
      case clientlink::CODE_SIDE_NOT_CAPTURING:
        break;
      default:
        AppendWhole(&line, "lParam", message.lParam);
        break;
    }
  }
  line += "}\n";
  return line;
}

}  // namespace clienttool
