// Club types index the club areas and the area flags sent to the golf client.
#pragma once

#include <cstdint>

enum ClubType : int32_t {
  CLUB_DRIVER = 0,
  CLUB_IRON = 1,
  CLUB_PUTTER = 2,
  CLUB_ROUGH = 3,
  CLUB_BUNKER = 4,
};

inline constexpr int32_t kClubTypeCount = 5;
// Passed where a club type is expected: use the camera's current club type.
inline constexpr int32_t kCurrentClub = 1000;
