// Places a club area, together with its copy for the centred window: the tests' cameras do not
// stream, so their window never really moves and both copies are the same.
#pragma once

#include "camera/main_camera.h"

inline void SetClubArea(CMainCamera& camera, int32_t clubType, const CRectT& rect) {
  ClubAreas& a = camera.m_areas;
  switch (clubType) {
    case CLUB_DRIVER:
      a.driverArea = a.driverAreaShifted = rect;
      break;
    case CLUB_IRON:
      a.ironArea = a.ironAreaShifted = rect;
      break;
    case CLUB_ROUGH:
      a.ironArea_Rough = a.ironAreaShifted_Rough = rect;
      break;
    case CLUB_BUNKER:
      a.ironArea_Bunker = a.ironAreaShifted_Bunker = rect;
      break;
    default:
      a.putterArea = a.putterAreaShifted = rect;
      break;
  }
}
