#include "script_outline.h"

#include <charconv>
#include <map>
#include <sstream>

namespace accuracy {

namespace {

bool Number(const std::string& text, double* value) {
  const char* first = text.data() + (text.starts_with('+') ? 1 : 0);
  const char* last = text.data() + text.size();
  const auto result = std::from_chars(first, last, *value);
  return first != last && result.ec == std::errc() && result.ptr == last;
}

// The balls on the mat by spot, with the order they were put down in: a strike without area=
// hits the latest one.
class BallsOnMat {
 public:
  void Place(const std::string& spot) { order_[spot] = ++placed_; }
  void Remove(const std::string& spot) { order_.erase(spot); }
  void RemoveAll() { order_.clear(); }
  std::string Latest() const {
    std::string latest;
    int latestOrder = 0;
    for (const auto& [spot, order] : order_) {
      if (order > latestOrder) {
        latest = spot;
        latestOrder = order;
      }
    }
    return latest;
  }

 private:
  std::map<std::string, int> order_;
  int placed_ = 0;
};

ScriptStrike Strike(const std::vector<std::string>& words, double t, BallsOnMat* balls) {
  ScriptStrike strike;
  strike.t = t;
  strike.shot = words[2] == "shot";
  for (size_t i = 3; i < words.size(); ++i) {
    const size_t eq = words[i].find('=');
    if (eq == std::string::npos) continue;
    const std::string key = words[i].substr(0, eq), value = words[i].substr(eq + 1);
    if (key == "area") strike.area = value;
    if (key == "hand") strike.hand = value;
  }
  if (strike.area.empty()) strike.area = balls->Latest();
  // The cameras swing over the tee when no ball lies anywhere.
  if (strike.area.empty() && !strike.shot) strike.area = "tee";
  // The struck ball leaves the mat; a swing passes over it.
  if (strike.shot) balls->Remove(strike.area);
  return strike;
}

}  // namespace

std::vector<std::string> ScriptWords(const std::string& line) {
  std::istringstream in(line.substr(0, line.find('#')));
  std::vector<std::string> words;
  for (std::string word; in >> word;) words.push_back(word);
  return words;
}

ScriptOutline ReadScriptOutline(const std::string& text) {
  ScriptOutline outline;
  BallsOnMat balls;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> words = ScriptWords(line);
    if (words.empty()) continue;
    double value = 0;
    if (words[0] == "fps" && words.size() >= 2) {
      // As for the cameras, one "fps free" is enough; a later rate keeps them free-running.
      outline.free_run = outline.free_run || words[1] == "free";
    } else if (words[0] == "end" && words.size() == 2 && Number(words[1], &value)) {
      outline.end_t = value;
    } else if (words[0] == "at" && words.size() >= 3 && Number(words[1], &value)) {
      const std::string& what = words[2];
      if (what == "place" && words.size() >= 4) {
        if (outline.first_place.empty()) outline.first_place = words[3];
        balls.Place(words[3]);
      } else if (what == "remove") {
        if (words.size() >= 4) {
          balls.Remove(words[3]);
        } else {
          balls.RemoveAll();
        }
      } else if (what == "shot" || what == "swing") {
        outline.strikes.push_back(Strike(words, value, &balls));
      }
    }
  }
  return outline;
}

}  // namespace accuracy
