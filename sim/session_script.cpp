// Parser of the session script format: one directive per line, '#' comments, times in seconds.
// Every number is bounded (times and durations up to a week, frame rates 1 to 10000) and a
// refusal says so with the line, since the simulated component parses the script inside the
// sensor's process.
#include <array>
#include <charconv>
#include <cmath>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "replay_clip.h"
#include "session_plan.h"
#include "shot_spin.h"
#include "strike_motion.h"

namespace sim {
namespace {

using Tokens = std::vector<std::string_view>;

Tokens Split(std::string_view line) {
  Tokens out;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) out.push_back(line.substr(start, i - start));
  }
  return out;
}

bool Number(std::string_view s, double& out) {
  // One sign at most: from_chars takes a '-' but no '+', so a '-' after the '+' is refused here.
  if (!s.empty() && s.front() == '+') {
    s.remove_prefix(1);
    if (!s.empty() && s.front() == '-') return false;
  }
  if (s.empty()) return false;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::isfinite(out);
}

// How refusals name the bounds.
std::string Seconds(double seconds) {
  return std::to_string(static_cast<long long>(seconds)) + " s";
}
const std::string kTimeBound = "up to " + Seconds(kMaxScriptSeconds) + " (a week)";
const std::string kRateBound = "from 1 to " + std::to_string(static_cast<int>(kMaxFps));

// A time or duration no later than the bound (the caller checks the lower end).
bool Time(std::string_view s, double& out) {
  return Number(s, out) && out <= kMaxScriptSeconds;
}

bool Rate(std::string_view s, double& out) {
  return Number(s, out) && out >= 1 && out <= kMaxFps;
}

// Builds the plan line by line, keeping track of the balls on the mat so that shots and swings
// know which ball they strike.
class ScriptParser {
 public:
  explicit ScriptParser(SessionPlan& plan) : plan_(plan) {}

  // Returns an empty string on success, else the reason.
  std::string Line(const Tokens& t, int number) {
    line_ = number;
    const std::string_view d = t[0];
    if (d == "fps") return Fps(t);
    if (d == "cameras") return Cameras(t);
    if (d == "seed") return Seed(t);
    if (d == "end") return End(t);
    if (d == "loop") return Loop(t);
    if (d == "replay") return Replay(t, 1, 0.0);
    if (d == "at") return At(t);
    return "unknown directive '" + std::string(d) + "'";
  }

  // What only the whole script tells: "fps", "cameras" and "end" may come after the lines they
  // bear on. Returns the line and the reason, or line 0.
  std::pair<int, std::string> Finish() const {
    if (loop_line_ > 0) {
      if (plan_.end_t < kMinLoopSeconds) {
        return {loop_line_, "loop needs an 'end' of at least " + Seconds(kMinLoopSeconds)};
      }
      if (plan_.free_run) return {loop_line_, "loop plays paced cameras only, not 'fps free'"};
      if (plan_.has_replay) return {replay_line_, "a loop does not repeat a replay"};
    }
    std::array<bool, 2> connected = {plan_.camera_count >= 1, plan_.camera_count == 2};
    std::array<bool, 2> unplugged = {false, false};
    for (size_t i = 0; i < plan_.events.size(); ++i) {
      const SessionEvent& e = plan_.events[i];
      const int role = static_cast<int>(e.camera);
      const int line = event_lines_[i];
      if (plan_.loop && e.t >= plan_.end_t)
        return {line, "with loop, every event comes before end"};
      if (plan_.loop && (e.kind == EventKind::kConnect || e.kind == EventKind::kFailRead ||
                         e.kind == EventKind::kDisconnect || e.kind == EventKind::kSlow)) {
        return {line, "a loop repeats the scene only: no fail or connect"};
      }
      if (e.kind == EventKind::kDisconnect) unplugged[role] = true;
      if (e.kind != EventKind::kConnect) continue;
      const std::string camera = e.camera == CameraRole::kMain ? "main" : "side";
      if (unplugged[role])
        return {line, "connect: the " + camera + " camera is disconnected for good"};
      if (connected[role]) return {line, "connect: the " + camera + " camera is connected already"};
      connected[role] = true;
    }
    return {0, {}};
  }

 private:
  std::string Fps(const Tokens& t) {
    size_t rate_at = 1;
    size_t end = t.size();
    if (t.size() >= 2 && t[1] == "free") {
      plan_.free_run = true;
      rate_at = 2;
      if (end > 2 && t[end - 1] == "together") {
        plan_.start_together = true;
        --end;
      }
      if (end == 2) return {};
    }
    double fps = 0;
    if (end != rate_at + 1 || !Rate(t[rate_at], fps)) {
      return "fps takes a rate " + kRateBound + ", or 'free' with an optional rate and 'together'";
    }
    plan_.fps = fps;
    return {};
  }

  std::string Cameras(const Tokens& t) {
    if (t.size() == 2 && t[1] == "swap") {
      plan_.camera_count = 2;
      plan_.swapped = true;
      return {};
    }
    if (t.size() == 2 && t[1].size() == 1 && t[1][0] >= '0' && t[1][0] <= '2') {
      plan_.camera_count = t[1][0] - '0';
      plan_.swapped = false;
      return {};
    }
    return "cameras takes 0, 1, 2 or swap";
  }

  std::string Seed(const Tokens& t) {
    uint32_t seed = 0;
    if (t.size() != 2) return "seed takes one number";
    const auto r = std::from_chars(t[1].data(), t[1].data() + t[1].size(), seed);
    if (r.ec != std::errc() || r.ptr != t[1].data() + t[1].size()) {
      return "seed must be a whole number below 2^32";
    }
    plan_.seed = seed;
    return {};
  }

  std::string End(const Tokens& t) {
    double end = 0;
    if (t.size() != 2 || !Time(t[1], end) || end <= 0) {
      return "end takes a time above 0, " + kTimeBound;
    }
    plan_.end_t = end;
    return {};
  }

  std::string Loop(const Tokens& t) {
    if (t.size() != 1) return "loop takes nothing more";
    plan_.loop = true;
    loop_line_ = line_;
    return {};
  }

  std::string Replay(const Tokens& t, size_t first, double at) {
    if (t.size() != first + 2) return "replay takes a main and a side shot directory";
    if (plan_.has_replay) return "only one replay per session";
    replay_line_ = line_;
    std::string error;
    for (int role = 0; role < 2; ++role) {
      if (!LoadReplayClip(std::string(t[first + role]), plan_.replay[role], error)) return error;
    }
    plan_.has_replay = true;
    plan_.replay_t = at;
    return {};
  }

  std::string At(const Tokens& t) {
    double at = 0;
    if (t.size() < 3 || !Time(t[1], at) || at < 0) {
      return "'at' needs a time of 0 or more, " + kTimeBound + ", and an event";
    }
    if (at < last_t_) return "times must not go backwards";
    last_t_ = at;
    const std::string_view what = t[2];
    SessionEvent e;
    e.t = at;
    std::string error;
    if (what == "place") {
      error = Place(t, e);
    } else if (what == "remove") {
      error = Remove(t, e);
    } else if (what == "shot" || what == "swing") {
      error = Strike(t, e, what == "shot");
    } else if (what == "light") {
      e.kind = EventKind::kLight;
      if (t.size() != 4 || !Number(t[3], e.value) || e.value < 0 || e.value > 4) {
        error = "light takes a factor from 0 to 4";
      }
    } else if (what == "fail") {
      error = Fail(t, e);
    } else if (what == "connect") {
      e.kind = EventKind::kConnect;
      if (t.size() != 4 || (t[3] != "main" && t[3] != "side")) error = "connect takes main or side";
      e.camera = t.size() > 3 && t[3] == "side" ? CameraRole::kSide : CameraRole::kMain;
    } else if (what == "replay") {
      return Replay(t, 3, at);
    } else {
      return "unknown event '" + std::string(what) + "'";
    }
    if (error.empty()) {
      plan_.events.push_back(e);
      event_lines_.push_back(line_);
    }
    return error;
  }

  std::string Place(const Tokens& t, SessionEvent& e) {
    e.kind = EventKind::kPlace;
    double dx = 0, dy = 0;
    if (t.size() != 4 && t.size() != 6)
      return "place takes a spot and an optional offset dx dy (mm)";
    if (!SpotFromName(t[3], e.spot)) return "unknown spot '" + std::string(t[3]) + "'";
    if (t.size() == 6 &&
        (!Number(t[4], dx) || !Number(t[5], dy) || std::abs(dx) > 200 || std::abs(dy) > 200)) {
      return "place offset must be two numbers within 200 mm";
    }
    e.rest = RestCentre(e.spot, dx, dy);
    const int i = static_cast<int>(e.spot);
    on_mat_[i] = e.rest;
    order_[i] = ++placed_;
    return {};
  }

  std::string Remove(const Tokens& t, SessionEvent& e) {
    e.kind = EventKind::kRemove;
    if (t.size() == 3) {
      on_mat_.fill(std::nullopt);
      return {};
    }
    if (t.size() != 4 || !SpotFromName(t[3], e.spot)) return "remove takes no spot or one spot";
    e.has_spot = true;
    on_mat_[static_cast<int>(e.spot)].reset();
    return {};
  }

  // The ball latest put down that still lies on the mat, if any.
  std::optional<Spot> LatestBall() const {
    std::optional<Spot> best;
    for (int i = 0; i < kSpotCount; ++i) {
      if (on_mat_[i] && (!best || order_[i] > order_[static_cast<int>(*best)])) {
        best = static_cast<Spot>(i);
      }
    }
    return best;
  }

  std::string Strike(const Tokens& t, SessionEvent& e, bool shot) {
    e.kind = shot ? EventKind::kShot : EventKind::kSwing;
    bool has_speed = false;
    bool has_sidespin = false;
    std::optional<Spot> spot;
    for (size_t i = 3; i < t.size(); ++i) {
      const size_t eq = t[i].find('=');
      if (eq == std::string_view::npos)
        return "expected key=value, got '" + std::string(t[i]) + "'";
      const std::string_view key = t[i].substr(0, eq), value = t[i].substr(eq + 1);
      if (key == "hand") {
        if (value != "right" && value != "left") return "hand is right or left";
        e.strike.right_hand = value == "right";
        continue;
      }
      if (key == "club") {
        if (value != "dark" && value != "chrome") return "club is dark or chrome";
        e.strike.club = value == "chrome" ? ClubFinish::kChrome : ClubFinish::kDark;
        continue;
      }
      if (key == "area") {
        Spot s;
        if (!SpotFromName(value, s)) return "unknown spot '" + std::string(value) + "'";
        spot = s;
        continue;
      }
      double v = 0;
      if (!Number(value, v)) return "'" + std::string(key) + "' needs a number";
      struct Range {
        std::string_view key;
        double* field;
        double lo, hi;
      };
      const std::array<Range, 6> ranges{{{"speed", &e.strike.speed, 0.1, 120},
                                         {"hla", &e.strike.hla, -60, 60},
                                         {"vla", &e.strike.vla, 0, 80},
                                         {"backspin", &e.strike.backspin, -20000, 20000},
                                         {"sidespin", &e.strike.sidespin, -20000, 20000},
                                         {"path", &e.strike.path, -30, 30}}};
      bool known = false;
      for (const Range& r : ranges) {
        if (key != r.key) continue;
        if (v < r.lo || v > r.hi) {
          std::ostringstream m;
          m << key << " must lie between " << r.lo << " and " << r.hi;
          return m.str();
        }
        *r.field = v;
        known = true;
      }
      if (!known) return "unknown key '" + std::string(key) + "'";
      if (key == "speed") has_speed = true;
      if (key == "sidespin") has_sidespin = true;
    }
    if (shot && !has_speed) return "shot needs speed=";
    if (!spot) spot = LatestBall();
    if (shot) {
      if (!spot || !on_mat_[static_cast<int>(*spot)]) return "shot without a ball on that spot";
      e.spot = *spot;
      if (!has_sidespin) e.strike.sidespin = SideSpinOf(e.strike, ClubFor(e.spot));
      e.rest = *on_mat_[static_cast<int>(*spot)];
      on_mat_[static_cast<int>(*spot)].reset();  // the ball leaves
    } else {
      e.spot = spot.value_or(Spot::kTee);
      const auto& ball = on_mat_[static_cast<int>(e.spot)];
      e.rest = ball ? *ball : RestCentre(e.spot);
    }
    return {};
  }

  std::string Fail(const Tokens& t, SessionEvent& e) {
    if (t.size() < 5 || (t[3] != "main" && t[3] != "side")) {
      return "fail takes main or side and read, disconnect or slow";
    }
    e.camera = t[3] == "main" ? CameraRole::kMain : CameraRole::kSide;
    const std::string_view how = t[4];
    if (how == "read") {
      e.kind = EventKind::kFailRead;
      if (t.size() != 6 || !Time(t[5], e.value) || e.value <= 0) {
        return "fail read takes a duration above 0, " + kTimeBound;
      }
      return {};
    }
    if (how == "disconnect") {
      e.kind = EventKind::kDisconnect;
      return t.size() == 5 ? std::string() : "fail disconnect takes nothing more";
    }
    if (how == "slow") {
      e.kind = EventKind::kSlow;
      if ((t.size() != 6 && t.size() != 7) || !Rate(t[5], e.value)) {
        return "fail slow takes a frame rate " + kRateBound + " and an optional duration";
      }
      if (t.size() == 7 && (!Time(t[6], e.duration) || e.duration <= 0)) {
        return "fail slow duration must be above 0, " + kTimeBound;
      }
      double& busy_until = slow_until_[static_cast<int>(e.camera)];
      if (e.t < busy_until) return "slow periods of one camera must not overlap";
      busy_until = e.duration > 0 ? e.t + e.duration : 1e300;
      return {};
    }
    return "unknown fault '" + std::string(how) + "'";
  }

  SessionPlan& plan_;
  int line_ = 0;
  int loop_line_ = 0;
  int replay_line_ = 0;
  std::vector<int> event_lines_;  // by event
  double last_t_ = 0;
  std::array<std::optional<Vec3>, kSpotCount> on_mat_{};
  std::array<int, kSpotCount> order_{};
  int placed_ = 0;
  double slow_until_[2] = {0, 0};
};

}  // namespace

bool ParseSessionScript(const std::string& text, SessionPlan& plan, std::string& error) {
  plan = SessionPlan{};
  ScriptParser parser(plan);
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    const size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    const Tokens tokens = Split(line);
    if (tokens.empty()) continue;
    const std::string reason = parser.Line(tokens, number);
    if (!reason.empty()) {
      error = "line " + std::to_string(number) + ": " + reason;
      return false;
    }
  }
  const auto [whole_line, whole_reason] = parser.Finish();
  if (whole_line > 0) {
    error = "line " + std::to_string(whole_line) + ": " + whole_reason;
    return false;
  }
  return true;
}

SessionPlan IdleBayPlan() {
  SessionPlan plan;
  plan.fps = 500.0;
  return plan;
}

}  // namespace sim
