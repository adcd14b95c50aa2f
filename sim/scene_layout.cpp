#include "scene_layout.h"

#include <cmath>
#include <cstdint>

namespace sim {
namespace {

struct SpotEntry {
  const char* name;
  double x, y;
};

// Ball spots: the tee midway between the cameras, iron and rough close beside it, bunker and
// putting spot ahead of those, and the four light-check points in a row behind the areas. The
// hitting spots keep near the cameras' centre line: a rising ball's drift in the two pictures
// only cancels in the mean of the two cameras for a ball on that line.
constexpr std::array<SpotEntry, kSpotCount> kSpots{{
    {"tee", 0.0, 0.0},
    {"iron", 130.0, 0.0},
    {"rough", -130.0, 0.0},
    {"bunker", -160.0, 190.0},
    {"putt", 130.0, 190.0},
    {"mat0", -240.0, -100.0},
    {"mat1", -80.0, -100.0},
    {"mat2", 80.0, -100.0},
    {"mat3", 240.0, -100.0},
}};

constexpr double kPatchHalf = 62.0;

// Fixed pattern of the turf: a cheap hash of the 4 mm cell, so the texture never changes.
float CellNoise(double x, double y, uint32_t salt) {
  const auto cx = static_cast<int32_t>(std::floor(x * 0.25));
  const auto cy = static_cast<int32_t>(std::floor(y * 0.25));
  uint32_t h = static_cast<uint32_t>(cx) * 0x8da6b343u ^ static_cast<uint32_t>(cy) * 0xd8163841u ^
               salt * 0xcb1ab31fu;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<float>(h & 0xffffu) / 65535.0f - 0.5f;
}

double SegmentDistance(double px, double py, const PaintedLine& l) {
  const double dx = l.x1 - l.x0, dy = l.y1 - l.y0;
  double t = ((px - l.x0) * dx + (py - l.y0) * dy) / (dx * dx + dy * dy);
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  const double ex = l.x0 + t * dx - px, ey = l.y0 + t * dy - py;
  return std::sqrt(ex * ex + ey * ey);
}

}  // namespace

bool SpotFromName(std::string_view name, Spot& spot) {
  for (int i = 0; i < kSpotCount; ++i) {
    if (name == kSpots[i].name) {
      spot = static_cast<Spot>(i);
      return true;
    }
  }
  return false;
}

const char* SpotName(Spot spot) {
  return kSpots[static_cast<int>(spot)].name;
}

Vec3 RestCentre(Spot spot, double dx_mm, double dy_mm) {
  const SpotEntry& e = kSpots[static_cast<int>(spot)];
  return {e.x + dx_mm, e.y + dy_mm, kBallRadiusMm};
}

const std::array<MatPatch, 5>& AreaPatches() {
  static const std::array<MatPatch, 5> kPatches = [] {
    std::array<MatPatch, 5> p{};
    const float tones[5] = {48.0f, 43.0f, 54.0f, 76.0f, 40.0f};
    const float textures[5] = {3.0f, 5.0f, 14.0f, 8.0f, 2.0f};
    for (int i = 0; i < 5; ++i) {
      const SpotEntry& e = kSpots[i];
      p[i] = {e.x - kPatchHalf, e.y - kPatchHalf, e.x + kPatchHalf,
              e.y + kPatchHalf, tones[i],         textures[i]};
    }
    return p;
  }();
  return kPatches;
}

const std::array<PaintedLine, 2>& PaintedLines() {
  // Painted lengths (round ends included): 39.5 cm parallel to the target line, whose marker
  // distance the console turns into the meter of 42 that goes with 2.07 mm per pixel, and 45 cm
  // across it. Both keep out of the balls' flights, where a white ball over a white line loses its
  // edges: the first lies right of the iron and the putting spot, the second ahead of every flight
  // but the bunker's.
  static const std::array<PaintedLine, 2> kLines{{
      {260.0, 65.0, 260.0, 450.0, 10.0},
      {-245.0, 500.0, 200.0, 500.0, 10.0},
  }};
  return kLines;
}

float MatRadiance(double x, double y) {
  if (x < kMatX0 || x > kMatX1 || y < kMatY0 || y > kMatY1) {
    return kFloorTone + 2.0f * CellNoise(x, y, 7);
  }
  for (const PaintedLine& l : PaintedLines()) {
    if (SegmentDistance(x, y, l) <= l.width_mm / 2.0) return kPaintTone + 4.0f * CellNoise(x, y, 5);
  }
  for (int k = 0; k < 4; ++k) {
    const SpotEntry& e = kSpots[static_cast<int>(Spot::kMat0) + k];
    const double dx = x - e.x, dy = y - e.y;
    if (dx * dx + dy * dy <= kGreyCircleRadiusMm * kGreyCircleRadiusMm) {
      return kGreyCircleTone + 2.0f * CellNoise(x, y, 3);
    }
  }
  const auto& patches = AreaPatches();
  for (size_t i = 0; i < patches.size(); ++i) {
    const MatPatch& p = patches[i];
    if (x >= p.x0 && x < p.x1 && y >= p.y0 && y < p.y1) {
      return p.tone + p.texture * CellNoise(x, y, static_cast<uint32_t>(11 + i));
    }
  }
  return kMatTone + 4.0f * CellNoise(x, y, 1);
}

}  // namespace sim
