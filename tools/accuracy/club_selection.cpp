#include "club_selection.h"

namespace accuracy {

namespace {

// The club a player takes out of the bag for a ball in that area; the sensor only tells the
// putter from the rest, and the code comes back in every shot result.
int64_t ClubCodeFor(const std::string& area) {
  if (area == "tee") return 0;      // driver
  if (area == "bunker") return 11;  // the shortest iron, a wedge
  return 7;
}

}  // namespace

std::vector<ClubChange> ClubChanges(const std::vector<ScriptStrike>& strikes) {
  std::vector<ClubChange> changes;
  bool putter = false;
  for (size_t i = 0; i < strikes.size(); ++i) {
    const bool putt = strikes[i].area == "putt";
    if (putt == putter) continue;
    changes.push_back({i, putt ? kPutterClubCode : ClubCodeFor(strikes[i].area)});
    putter = putt;
  }
  return changes;
}

}  // namespace accuracy
