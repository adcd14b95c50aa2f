// Paints the moving things of the scene (balls, club head, shaft) into a window of radiance
// values, with anti-aliased edges and perspective from the camera's pinhole.
#pragma once

#include <cstdint>

#include "camera_rig.h"
#include "strike_motion.h"
#include "vec3.h"

namespace sim {

// Ball brightness at nominal gain: kBallTone where it faces the lamps (one beside each camera),
// falling to kBallTone * kBallAmbient where neither lamp reaches. The shading is steep enough that
// balls on the light-check points fail the check at gain 210 and pass from about 250 to 270.
inline constexpr float kBallTone = 248.0f;
inline constexpr float kBallAmbient = 0.18f;

// A window of radiance values (grey level at nominal gain times kRadianceScale). Rows start out
// as the mat background and are copied into the work buffer only when something is painted on
// them, so a frame with a small ball costs little more than an empty one.
struct RadianceWindow {
  uint16_t* pixels;
  uint8_t* row_painted;                    // one flag per row
  const uint16_t* const* background_rows;  // background_rows[y] + x0 is row y of the window
  int x0, y0;                              // sensor position of the top-left pixel
  int width, height;

  uint16_t* Row(int y) {
    uint16_t* row = pixels + static_cast<size_t>(y) * width;
    if (!row_painted[y]) {
      const uint16_t* bg = background_rows[y] + x0;
      for (int x = 0; x < width; ++x) row[x] = bg[x];
      row_painted[y] = 1;
    }
    return row;
  }
};

void PaintBall(const PinholeCamera& cam, Vec3 centre, RadianceWindow& w);
void PaintShaft(const PinholeCamera& cam, const ClubPose& pose, RadianceWindow& w);
void PaintHead(const PinholeCamera& cam, const ClubPose& pose, RadianceWindow& w);

}  // namespace sim
