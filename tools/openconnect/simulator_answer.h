// What the simulator says back: 200 for a shot received, 201 for the player's information (the
// club chosen, the hand), 5xx when it refused something.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace openconnect {

struct SimulatorAnswer {
  enum class Kind { kShotReceived, kPlayer, kRefused, kOther, kUnreadable };
  Kind kind = Kind::kUnreadable;
  int code = 0;
  std::string message;          // the answer's own words, if any
  std::string club;             // Player.Club of a 201, when it has one
  std::string handed;           // Player.Handed of a 201, when it has one
  std::string problem;          // why an unreadable answer is one, with its first bytes
  nlohmann::ordered_json json;  // as received, for the history
};

// Reads the text of one JSON object. Never throws.
SimulatorAnswer ReadAnswer(const std::string& text);

// The sensor's club code (7100) for the simulator's club: "DR" 0, "I1"-"I9" 1-9, "PW" 10,
// "GW"/"SW"/"LW" 11, woods and hybrids 1, "PT" 12; none for a club it does not know.
std::optional<int> ClubCodeFor(const std::string& club);

// "RH" and "LH" in words, anything else as it came.
std::string HandedInWords(const std::string& handed);

}  // namespace openconnect
