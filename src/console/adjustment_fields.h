// The ten adjustment edits of the launch-data frame, in the order of the camera's adjustment
// list: the installer's corrections that both cameras apply to every shot.
#pragma once

#include "camera/operator_edits.h"

namespace console {

struct AdjustmentField {
  int id;
  float CMainCamera::*member;
  const char* format;  // as the edit shows it at start
};

inline constexpr AdjustmentField kAdjustmentFields[] = {
    {1037, kAdjustmentMembers[0], "%.1f"}, {1050, kAdjustmentMembers[1], "%.1f"},
    {1031, kAdjustmentMembers[2], "%.1f"}, {1032, kAdjustmentMembers[3], "%.1f"},
    {1046, kAdjustmentMembers[4], "%.0f"}, {1042, kAdjustmentMembers[5], "%.0f"},
    {1044, kAdjustmentMembers[6], "%.0f"}, {1052, kAdjustmentMembers[7], "%.0f"},
    {1049, kAdjustmentMembers[8], "%.0f"}, {1045, kAdjustmentMembers[9], "%.0f"},
};
static_assert(std::size(kAdjustmentFields) == std::size(kAdjustmentMembers));

}  // namespace console
