#include "shot_log.h"

#include <cmath>
#include <cstdlib>
#include <regex>

namespace shots {
namespace {

// The club-path classes of the analysis, by the word of its side-spin line.
constexpr int kHook = 0, kFade = 1, kDraw = 2, kSlice = 3, kHookSide = 4, kSliceSide = 5;

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  return lines;
}

// The number after "name : " in a line, if there is one.
std::optional<double> Field(const std::string& line, const std::string& name) {
  const std::string key = " " + name + " : ";
  const size_t at = line.find(key);
  if (at == std::string::npos) return std::nullopt;
  const char* start = line.c_str() + at + key.size();
  char* end = nullptr;
  const double value = std::strtod(start, &end);
  if (end == start || !std::isfinite(value)) return std::nullopt;
  return value;
}

bool Starts(const std::string& line, const char* text) {
  return line.rfind(text, 0) == 0;
}

// The speed a line leaves just before the jitter step, by the steps that may come last.
std::optional<double> SpeedBeforeJitter(const std::string& line) {
  if (Starts(line, "-> Putting Speed Adj") || Starts(line, "-> D/I Speed Adj") ||
      Starts(line, "-> Driver Speed Adj")) {
    return Field(line, "m_speed");
  }
  if (Starts(line, "-> Cam1 Speed Adj From VAngle")) return Field(line, "adj_speed");
  return std::nullopt;
}

void ReadSideSpinWord(const std::string& line, const std::optional<double>& spin, ShotLog& log) {
  if (line.find("=> Hook)") != std::string::npos) log.pathClass = kHook;
  if (line.find("=> Fade)") != std::string::npos) log.pathClass = kFade;
  if (line.find("=> Draw)") != std::string::npos) log.pathClass = kDraw;
  if (line.find("=> Slice)") != std::string::npos) log.pathClass = kSlice;
  // Without a club line the spin's sign decides the side; it is read from the next spin value.
  if (line.find("(Slice/Hook)") != std::string::npos)
    log.pathClass = spin.value_or(0) > 0 ? kSliceSide : kHookSide;
}

}  // namespace

ShotLog ParseShotLog(const std::string& text) {
  static const std::regex kKept(
      R"(^-> captureImageIndex : (\d+), m_foundBallArea\.m_x : .*, ballArea\.m_x : (-?\d+), )"
      R"(ballArea\.m_y : (-?\d+), preBallIndex)");
  static const std::regex kWidth(
      R"(^-> captureImageIndex : (\d+), _foundBall\.m_x : .*_ballArea\.m_width : (\d+),)");
  ShotLog log;
  log.lines = SplitLines(text);
  bool slicehookPending = false;
  std::optional<double> lastSpeed;
  for (size_t i = 0; i < log.lines.size(); ++i) {
    const std::string& line = log.lines[i];
    std::smatch m;
    if (std::regex_search(line, m, kKept)) {
      log.keptBalls.push_back(
          {std::stoi(m[1].str()), std::stoi(m[2].str()), std::stoi(m[3].str()), 0});
    } else if (std::regex_search(line, m, kWidth) && !log.keptBalls.empty() &&
               log.keptBalls.back().frame == std::stoi(m[1].str())) {
      log.keptBalls.back().width = std::stoi(m[2].str());
    } else if (Starts(line, "-> Side Spin(") || Starts(line, "-> Side Spin Adj(Slice/Hook)")) {
      ReadSideSpinWord(line, std::nullopt, log);
      slicehookPending = line.find("(Slice/Hook)") != std::string::npos;
    } else if (Starts(line, "-> Side Spin Adj(Multi)") && slicehookPending) {
      ReadSideSpinWord("(Slice/Hook)", Field(line, "m_sideSpin"), log);
      slicehookPending = false;
    } else if (Starts(line, "-> side spin - startX")) {
      const auto sx = Field(line, "startX"), sy = Field(line, "startY");
      const auto ex = Field(line, "endX"), ey = Field(line, "endY");
      // A club point that was not found is logged as -1, -1.
      if (sx && sy && *sx >= 0 && *sy >= 0) log.clubStart = PixelPoint{int(*sx), int(*sy)};
      if (ex && ey && *ex >= 0 && *ey >= 0) log.clubEnd = PixelPoint{int(*ex), int(*ey)};
    } else if (Starts(line, "-> exp : ")) {
      const auto e = Field(line, "exp"), g = Field(line, "gai"), m = Field(line, "gam");
      if (e && g && m) log.brightness = Brightness{int(*e), int(*g), int(*m)};
    } else if (Starts(line, "-> HAngle Adj - HAngleTemp")) {
      log.sideHAngle = Field(line, "HAngleTopSide");
    } else if (line == "-> Empty Swing <-") {
      log.emptySwing = true;
    } else if (Starts(line, "-> m_fpsForFrame2Frame :")) {
      log.lowFrameRate = Field(line, "m_fpsForFrame2Frame");
    } else if (Starts(line, "-> R Speed Adj - m_speed")) {
      log.jitterLine = i;
      const auto jittered = Field(line, "m_speed");
      // The table's offsets are whole hundredths; the log's six decimals leave float noise.
      if (jittered && lastSpeed) log.speedJitter = std::round((*jittered - *lastSpeed) * 100) / 100;
    } else if (Starts(line, "-> result - m_speed")) {
      const auto s = Field(line, "m_speed"), h = Field(line, "m_HAngle"),
                 v = Field(line, "m_VAngle");
      const auto side = Field(line, "m_sideSpin"), back = Field(line, "m_backSpin");
      if (s && h && v && side && back) log.result = ResultLine{*s, *h, *v, *side, *back};
    }
    if (!log.jitterLine) {
      if (const auto before = SpeedBeforeJitter(line)) lastSpeed = before;
    }
  }
  if (slicehookPending && log.result) {
    ReadSideSpinWord("(Slice/Hook)", log.result->sideSpin, log);
  }
  return log;
}

}  // namespace shots
