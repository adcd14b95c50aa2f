// The club-path picture of a shot record: the ball's surroundings at rest, enlarged and turned
// upright to the target line, saved as an uncompressed 8-bit grey Windows bitmap.
#pragma once

#include <cstdint>

// Crops the bottom 200 rows of the width x height frame around column centreX (160 columns from
// centreX - 80, cut at the frame's edges), scales them to 320 x 400 and, for a non-zero
// angleDegrees, turns the picture that many degrees clockwise. False, writing nothing, for a frame
// smaller than 160 x 200, a crop with no column inside the frame or a non-finite angle; true
// otherwise, also when the file cannot be created (the picture is only an aid for review).
bool WriteClubPathImage(int32_t width, const uint8_t* image, const char* path, int32_t height,
                        int32_t centreX, float angleDegrees);
