#include "soak_session.h"

#include <cstdio>
#include <string>
#include <vector>

namespace accuracy {

namespace {

// splitmix64: a generator whose every draw is defined here, so a seed gives the same session on
// every standard library.
class Draws {
 public:
  explicit Draws(uint64_t seed) : state_(seed) {}

  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // In [lo, hi).
  double Uniform(double lo, double hi) {
    return lo + (hi - lo) * static_cast<double>(Next() >> 11) * 0x1.0p-53;
  }
  // In [lo, hi].
  int Whole(int lo, int hi) { return lo + static_cast<int>(Next() % uint64_t(hi - lo + 1)); }
  bool Chance(double p) { return Uniform(0.0, 1.0) < p; }

 private:
  uint64_t state_;
};

struct Range {
  double lo, hi;
};

// What each club area's shots span: the calibration session's spread, a little wider.
struct AreaShots {
  const char* spot;
  Range speed, hla, vla, backspin;
  double readySeconds;  // from the ball put down to the strike: classification, then ready
};

const AreaShots kTee{"tee", {55, 74}, {-3, 3}, {9, 14.5}, {2300, 3300}, 3.0};
const AreaShots kIron{"iron", {33, 48}, {-2.5, 2.5}, {13.5, 24}, {5000, 7000}, 2.5};
const AreaShots kRough{"rough", {27, 42}, {-3, 3}, {20, 27}, {4800, 6400}, 2.5};
const AreaShots kBunker{"bunker", {19, 27}, {-3.5, 3.5}, {29, 37.5}, {6400, 7800}, 2.5};
const AreaShots kPutt{"putt", {1.5, 4.0}, {-3, 3}, {0, 0}, {0, 0}, 2.5};

constexpr double kBallOffsetMm = 10.0;  // balls put down this far either way of the spot
constexpr double kPathDegrees = 4.0;
constexpr double kChromeShare = 0.25;  // of full shots and practice swings
constexpr double kSwingShare = 0.15;   // full-shot balls that get a practice swing first
// The golf client changes to or from the putter once the previous shot has come in; the next
// strike waits this much longer so the change lands before the ball is ready.
constexpr double kClubChangeSeconds = 1.0;
constexpr double kSwingToShotSeconds = 2.5;
// From a strike to the next ball: the struck ball gone and the capture window back home.
constexpr double kClearSeconds = 1.5;
constexpr double kClearAfterPuttSeconds = 2.0;
constexpr double kEndSeconds = 3.0;

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  // "-0.0" reads as zero anyway; the plain form keeps scripts tidy.
  return std::string(text) == "-0.0" ? "0.0" : text;
}

class RoundWriter {
 public:
  explicit RoundWriter(const SoakSessionSpec& spec)
      : draws_(spec.seed * 2 + (spec.hand == Hand::kLeft ? 1 : 0)), hand_(HandName(spec.hand)) {}

  std::string Write(int shots) {
    Header(shots);
    bool firstApproach = true;
    while (shots_ < shots) {
      Ball(kTee, false);
      for (int n = draws_.Whole(1, 3); n > 0 && shots_ < shots; --n) {
        Ball(NextApproach(), firstApproach);
        firstApproach = false;
      }
      for (int n = draws_.Whole(1, 2); n > 0 && shots_ < shots; --n) Ball(kPutt, false);
    }
    text_ += "end " + Format("%.1f", lastStrike_ + kEndSeconds) + "\n";
    return text_;
  }

 private:
  void Header(int shots) {
    text_ += "# A soak round of " + std::to_string(shots) + " " + hand_ +
             "-handed shots: drives, approaches from the iron mat, the rough and the bunker,\n"
             "# putts, and practice swings over the ball now and then.\n"
             "fps 500\n"
             "cameras 2\n"
             "seed " +
             std::to_string(draws_.Next() % 1000000) + "\n";
  }

  // Iron mat, rough and bunker in a shuffled turn, so every few approaches visit all three.
  const AreaShots& NextApproach() {
    if (bag_.empty()) {
      bag_ = {&kIron, &kRough, &kBunker};
      for (size_t i = bag_.size() - 1; i > 0; --i) {
        std::swap(bag_[i], bag_[static_cast<size_t>(draws_.Whole(0, static_cast<int>(i)))]);
      }
    }
    const AreaShots* next = bag_.back();
    bag_.pop_back();
    return *next;
  }

  void Event(double t, const std::string& what) {
    text_ += "at " + Format("%.1f", t) + " " + what + "\n";
  }

  std::string Value(Range r, const char* format) {
    return Format(format, draws_.Uniform(r.lo, r.hi));
  }

  std::string Club() { return draws_.Chance(kChromeShare) ? " club=chrome" : ""; }

  void Ball(const AreaShots& area, bool practiceSwing) {
    const bool putt = &area == &kPutt;
    const bool clubChange = putt != puttingNow_;
    puttingNow_ = putt;
    Event(t_, std::string("place ") + area.spot + " " +
                  Format("%.1f", draws_.Uniform(-kBallOffsetMm, kBallOffsetMm)) + " " +
                  Format("%.1f", draws_.Uniform(-kBallOffsetMm, kBallOffsetMm)));
    double strikeAt = t_ + area.readySeconds + (clubChange ? kClubChangeSeconds : 0.0);
    if (!putt && (practiceSwing || draws_.Chance(kSwingShare))) {
      // The first practice swing of a round is the one the sensor must see through: a polished
      // blade that mirrors a lamp just ahead of the ball.
      const std::string club = firstSwing_ ? " club=chrome" : Club();
      firstSwing_ = false;
      Event(strikeAt, "swing hand=" + hand_ + club);
      strikeAt += kSwingToShotSeconds;
    }
    std::string shot =
        "shot speed=" + Value(area.speed, "%.1f") + " hla=" + Value(area.hla, "%.1f");
    if (putt) {
      shot += " vla=0";
    } else {
      shot += " vla=" + Value(area.vla, "%.1f") + " backspin=" + Value(area.backspin, "%.0f") +
              " path=" + Format("%.1f", draws_.Uniform(-kPathDegrees, kPathDegrees)) + Club();
    }
    Event(strikeAt, shot + " hand=" + hand_);
    ++shots_;
    lastStrike_ = strikeAt;
    t_ = strikeAt + (putt ? kClearAfterPuttSeconds : kClearSeconds);
  }

  Draws draws_;
  std::string hand_;
  std::string text_;
  std::vector<const AreaShots*> bag_;
  double t_ = 1.0;
  double lastStrike_ = 0;
  int shots_ = 0;
  bool puttingNow_ = false;
  bool firstSwing_ = true;
};

}  // namespace

const char* HandName(Hand hand) {
  return hand == Hand::kRight ? "right" : "left";
}

std::string SoakSessionScript(const SoakSessionSpec& spec) {
  return RoundWriter(spec).Write(spec.shots);
}

}  // namespace accuracy
