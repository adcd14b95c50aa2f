// The ten adjustment edits of the launch-data frame and the camera values they show: the
// installer's corrections that both cameras apply to every shot.
#pragma once

#include "camera/main_camera.h"

namespace console {

struct AdjustmentField {
  int id;
  float CMainCamera::*member;
  const char* format;  // as the edit shows it at start
};

inline constexpr AdjustmentField kAdjustmentFields[] = {
    {1037, &CMainCamera::m_HAngleAdjForPlus, "%.1f"},
    {1050, &CMainCamera::m_HAngleAdjForPlusForPutter, "%.1f"},
    {1031, &CMainCamera::m_VAngleDriverAdjForPlus, "%.1f"},
    {1032, &CMainCamera::m_VAngleIronAdjForPlus, "%.1f"},
    {1046, &CMainCamera::m_speedPuttingAdjForMulti, "%.0f"},
    {1042, &CMainCamera::m_speedAdjForMulti, "%.0f"},
    {1044, &CMainCamera::m_sideSpinAdjForMulti, "%.0f"},
    {1052, &CMainCamera::m_sideSpinAdjForMulti_Slice, "%.0f"},
    {1049, &CMainCamera::m_sideSpinAdjForPlus, "%.0f"},
    {1045, &CMainCamera::m_backSpinAdjForMulti, "%.0f"},
};

}  // namespace console
