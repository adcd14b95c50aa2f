// What the tool needs to know of a session script: how long it lasts, whether its cameras
// free-run, which shots and swings it plays and where the first ball goes down. Everything else
// is left to the simulated cameras, which read the script themselves.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace accuracy {

struct ScriptStrike {
  double t = 0;
  bool shot = false;  // else a swing
  std::string area;   // the spot given with area=, else the latest ball still on the mat
  std::string hand = "right";
};

struct ScriptOutline {
  std::optional<double> end_t;        // the "end T" line
  bool free_run = false;              // "fps free"
  std::vector<ScriptStrike> strikes;  // in script order, which is time order
  std::string first_place;            // spot of the first "place", empty without one
};

// Reads leniently: lines it does not understand are skipped, as the cameras report them.
ScriptOutline ReadScriptOutline(const std::string& text);

// Splits a script line into its words, without the comment.
std::vector<std::string> ScriptWords(const std::string& line);

}  // namespace accuracy
