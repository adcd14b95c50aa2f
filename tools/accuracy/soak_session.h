// A long session for the soak, written as a player plays a round in one bay: hole after hole, a
// drive from the tee, one to three approaches from the iron mat, the rough or the bunker, then
// one or two putts; now and then a practice swing over the ball before the shot. Every value lies
// where the bay's sensor measures (the spread of the calibration session), so a shot far off its
// truth says something about the sensor, not about the script.
#pragma once

#include <cstdint>
#include <string>

namespace accuracy {

enum class Hand { kRight, kLeft };

const char* HandName(Hand hand);

struct SoakSessionSpec {
  int shots = 0;  // shots struck; practice swings come on top
  uint64_t seed = 1;
  Hand hand = Hand::kRight;
};

// The script, "fps 500" paced (the tool makes it free-running), ending a few seconds after the
// last shot. The same spec always gives the same text; the hand is part of the seed, so the two
// hands of one seed play different rounds.
std::string SoakSessionScript(const SoakSessionSpec& spec);

}  // namespace accuracy
