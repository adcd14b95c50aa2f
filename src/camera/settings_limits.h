// How far the settings reader lets a configured position go. The file is text anyone can edit, and
// the number reader saturates at the int32 limits ("x=99999999999" reads as 2147483647), while the
// capture thread adds these numbers to window origins, shifts and margins. Held within this bound,
// every such sum stays far from overflowing, and no installation ever comes near it.
#pragma once

#include <cstdint>

// Positions and extents in sensor or window pixels: camera position, club areas, light-check
// points. The sensor is 1944 x 1224 pixels and the capture window 320 or 480, so a value beyond
// several sensor widths never places anything real.
inline constexpr int32_t kSettingsCoordinateLimit = 16384;
