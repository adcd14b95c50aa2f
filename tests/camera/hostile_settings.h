// Settings files that no installation writes but anyone can: numbers at and past the int32 limits
// where the camera adds them to window origins, shifts and margins. Each case holds the values
// the camera must be left with after reading it.
#pragma once

#include <cstdint>

#include "camera/main_camera.h"
#include "camera/settings_limits.h"

namespace hostile {

inline constexpr int32_t L = kSettingsCoordinateLimit;

// An iron area over the whole window, so that the watch finds the drawn ball and moves the window.
#define KESTRIX_WHOLE_IRON "[ironArea]\r\nx=0\r\ny=0\r\nwidth=320\r\nheight=320\r\n"

struct Case {
  const char* name;
  const char* file;
  int32_t clubType;  // the club the watch follows
  IntPoint position;
  CRectT driver;
  CRectT club;  // the area of clubType
  CRectT matPoint0;
};

inline constexpr CRectT kDefaultArea{0, 0, 60, 60, 0};
inline constexpr CRectT kWholeWindow{0, 0, 320, 320, 0};
inline constexpr CRectT kDefaultPoint{0, 0, 22, 22, 0};

inline const Case kCases[] = {
    {"camera_position_past_int32",
     "[cameraPosition]\r\nx=99999999999\r\ny=-99999999999\r\n" KESTRIX_WHOLE_IRON,
     CLUB_IRON,
     {L, -L},
     kDefaultArea,
     kWholeWindow,
     kDefaultPoint},
    {"camera_position_at_int32_limits",
     "[cameraPosition]\r\nx=2147483647\r\ny=-2147483648\r\n" KESTRIX_WHOLE_IRON,
     CLUB_IRON,
     {L, -L},
     kDefaultArea,
     kWholeWindow,
     kDefaultPoint},
    {"tee_at_the_int32_edge",
     "[driverArea]\r\nx=2147483000\r\ny=2147483000\r\nwidth=2147483647\r\nheight="
     "99999999999\r\n" KESTRIX_WHOLE_IRON,
     CLUB_IRON,
     {0, 0},
     CRectT{L, L, L, L, 0},
     kWholeWindow,
     kDefaultPoint},
    {"areas_from_int32_min",
     "[driverArea]\r\nx=-2147483648\r\ny=-2147483648\r\nwidth=-2147483648\r\nheight=-1\r\n"
     "[ironArea]\r\nx=-99999999999\r\ny=-99999999999\r\nwidth=99999999999\r\n"
     "height=99999999999\r\n",
     CLUB_IRON,
     {0, 0},
     CRectT{-L, -L, -L, -1, 0},
     CRectT{-L, -L, L, L, 0},
     kDefaultPoint},
    {"bunker_top_far_above",
     "[ironArea_Bunker]\r\nx=-99999999999\r\ny=-99999999999\r\nwidth=99999999999\r\n"
     "height=99999999999\r\n[cameraPosition]\r\nx=-99999999999\r\ny=99999999999\r\n",
     CLUB_BUNKER,
     {-L, L},
     kDefaultArea,
     CRectT{-L, -L, L, L, 0},
     kDefaultPoint},
    {"putter_with_endless_extent",
     "[putterArea]\r\nx=0\r\ny=0\r\nwidth=2147483647\r\nheight=2147483647\r\n"
     "[driverArea]\r\nx=2147483647\r\ny=0\r\nwidth=2147483647\r\nheight=2147483647\r\n",
     CLUB_PUTTER,
     {0, 0},
     CRectT{L, 0, L, L, 0},
     CRectT{0, 0, L, L, 0},
     kDefaultPoint},
    {"mat_point_past_int32",
     "[zigArea]\r\nx0=-99999999999\r\ny0=99999999999\r\n" KESTRIX_WHOLE_IRON,
     CLUB_IRON,
     {0, 0},
     kDefaultArea,
     kWholeWindow,
     CRectT{-L, 298, 22, 22, 0}},
};

#undef KESTRIX_WHOLE_IRON

inline CRectT AreaOf(const CMainCamera& camera, int32_t clubType) {
  const ClubAreas& a = camera.m_areas;
  switch (clubType) {
    case CLUB_DRIVER:
      return a.driverArea;
    case CLUB_IRON:
      return a.ironArea;
    case CLUB_ROUGH:
      return a.ironArea_Rough;
    case CLUB_BUNKER:
      return a.ironArea_Bunker;
    default:
      return a.putterArea;
  }
}

}  // namespace hostile
