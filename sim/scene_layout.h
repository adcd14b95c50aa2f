// Where things lie on the simulated mat: the club areas with their ball spots, the painted
// direction lines and the grey light-check circles. Millimetres in the world frame of camera_rig.h.
#pragma once

#include <array>
#include <string_view>

#include "vec3.h"

namespace sim {

inline constexpr double kBallDiameterMm = 42.67;
inline constexpr double kBallRadiusMm = kBallDiameterMm / 2.0;

// Places a ball can be put: the five club areas and the four light-check mat points.
enum class Spot { kTee, kIron, kRough, kBunker, kPutt, kMat0, kMat1, kMat2, kMat3 };
inline constexpr int kSpotCount = 9;

bool SpotFromName(std::string_view name, Spot& spot);
const char* SpotName(Spot spot);
// Ball centre resting on the spot, shifted by (dx, dy) mm on the mat.
Vec3 RestCentre(Spot spot, double dx_mm = 0.0, double dy_mm = 0.0);

// A rectangular patch of mat surface with its own tone and texture.
struct MatPatch {
  double x0, y0, x1, y1;
  float tone;
  float texture;
};

// A painted line: a rectangle of paint between its two end points.
struct PaintedLine {
  double x0, y0, x1, y1;  // centre line end points
  double width_mm;
};

inline constexpr float kMatTone = 36.0f;
inline constexpr float kFloorTone = 22.0f;
inline constexpr float kPaintTone = 205.0f;
inline constexpr float kGreyCircleTone = 76.0f;
inline constexpr double kGreyCircleRadiusMm = 30.0;
// Extent of the hitting mat; beyond it lies the darker floor of the bay.
inline constexpr double kMatX0 = -1500, kMatX1 = 1500, kMatY0 = -1000, kMatY1 = 2600;

const std::array<MatPatch, 5>& AreaPatches();      // tee, iron, rough, bunker, putt
const std::array<PaintedLine, 2>& PaintedLines();  // along the target line, across it

// Brightness at nominal gain of the bare mat at (x, y): areas, paint, circles, texture.
float MatRadiance(double x, double y);

}  // namespace sim
