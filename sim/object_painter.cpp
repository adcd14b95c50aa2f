#include "object_painter.h"

#include <algorithm>
#include <cmath>

#include "mat_background.h"
#include "scene_layout.h"

namespace sim {
namespace {

struct PixelBox {
  int x0, y0, x1, y1;  // window pixels, end exclusive
};

// The window pixels that the sensor rectangle [u0, u1) x [v0, v1) touches.
bool Clip(const RadianceWindow& w, double u0, double v0, double u1, double v1, PixelBox& box) {
  box.x0 = std::max(0, static_cast<int>(std::floor(u0)) - w.x0);
  box.y0 = std::max(0, static_cast<int>(std::floor(v0)) - w.y0);
  box.x1 = std::min(w.width, static_cast<int>(std::ceil(u1)) - w.x0);
  box.y1 = std::min(w.height, static_cast<int>(std::ceil(v1)) - w.y0);
  return box.x0 < box.x1 && box.y0 < box.y1;
}

void Blend(uint16_t& px, float tone, float coverage) {
  const float v = px + (tone * kRadianceScale - px) * coverage;
  px = static_cast<uint16_t>(std::clamp(v, 0.0f, 65535.0f));
}

Vec3 Unit(Vec3 v) {
  return v * (1.0 / Length(v));
}

// A steel shaft under the lamps: a bright specular line along its top, the rest of the tube a
// little dimmer where it mirrors the room at a slant. Well above the mat and the analysis' mask
// level, as a shaft at a real bay.
constexpr float kChromeShaftRim = 190.0f;
constexpr float kChromeShaftCore = 232.0f;
constexpr double kChromeShaftCoreWidth = 0.45;  // of the half-width

float ChromeShaftTone(double across) {  // distance from the centre line over the half-width
  const double q = across / kChromeShaftCoreWidth;
  return kChromeShaftRim +
         (kChromeShaftCore - kChromeShaftRim) * static_cast<float>(std::max(0.0, 1.0 - q * q));
}

// A polished head catches the lamps only along its rounded top line, a little behind the middle
// of the head as seen from above: a thin bright edge, nothing a ball finder takes for a ball.
constexpr float kChromeTopLineTone = 215.0f;
constexpr double kTopLineFromBack = 0.35;  // of the head's depth
constexpr double kTopLineHalfWidthPx = 0.8;
constexpr float kLampGlintTone = 230.0f;

// The bay is lit by a lamp beside each camera; these are the directions to them from a ball.
struct Lamps {
  Vec3 a, b;
};

Lamps LampsFor(Vec3 centre) {
  return {Unit(RigCamera(CameraRole::kMain).centre - centre),
          Unit(RigCamera(CameraRole::kSide).centre - centre)};
}

// Brightness of the ball surface with outward normal n.
float BallTone(Vec3 n, const Lamps& lamps) {
  const double lit = 0.5 * (std::max(0.0, Dot(n, lamps.a)) + std::max(0.0, Dot(n, lamps.b)));
  return static_cast<float>(kBallTone * (kBallAmbient + (1.0 - kBallAmbient) * lit));
}

// A lamp mirrored in the head: a level disc, which a camera looking straight down sees as a circle.
void PaintGlint(const PinholeCamera& cam, const ClubPose& pose, RadianceWindow& w) {
  double uc = 0, vc = 0;
  if (!cam.Project(pose.glint, uc, vc)) return;
  const double r = cam.focal_px * pose.glint_radius_mm / (cam.centre.z - pose.glint.z);
  PixelBox box;
  if (!Clip(w, uc - r - 1, vc - r - 1, uc + r + 1, vc + r + 1, box)) return;
  for (int y = box.y0; y < box.y1; ++y) {
    uint16_t* row = w.Row(y);
    const double dv = w.y0 + y + 0.5 - vc;
    for (int x = box.x0; x < box.x1; ++x) {
      const double du = w.x0 + x + 0.5 - uc;
      const double coverage = std::clamp(r - std::sqrt(du * du + dv * dv) + 0.5, 0.0, 1.0);
      if (coverage > 0) Blend(row[x], kLampGlintTone, static_cast<float>(coverage));
    }
  }
}

}  // namespace

void PaintBall(const PinholeCamera& cam, Vec3 centre, RadianceWindow& w) {
  double uc = 0, vc = 0;
  if (!cam.Project(centre, uc, vc)) return;
  const double depth = cam.centre.z - centre.z;
  if (depth < 4 * kBallRadiusMm) return;
  // Off-axis a sphere images as a slightly stretched ellipse: leave room for it.
  const double off = std::hypot(uc - cam.cx, vc - cam.cy) / cam.focal_px;
  const double reach = cam.focal_px * kBallRadiusMm / depth * (1.0 + off * off) + 2.0;
  PixelBox box;
  if (!Clip(w, uc - reach, vc - reach, uc + reach, vc + reach, box)) return;
  const double footprint = depth / cam.focal_px;  // mm per pixel at the ball
  const Lamps lamps = LampsFor(centre);
  const Vec3 oc = centre - cam.centre;
  const double oc2 = Dot(oc, oc);
  const double r2 = kBallRadiusMm * kBallRadiusMm;
  for (int y = box.y0; y < box.y1; ++y) {
    uint16_t* row = w.Row(y);
    for (int x = box.x0; x < box.x1; ++x) {
      const Vec3 dir = Unit(cam.Ray(w.x0 + x + 0.5, w.y0 + y + 0.5));
      // The pixel's ray passes the centre at distance miss; near the rim the covered part of the
      // pixel grows linearly across one pixel, which keeps sub-pixel motion visible.
      const double along = Dot(oc, dir);
      const double miss2 = std::max(0.0, oc2 - along * along);
      const double miss = std::sqrt(miss2);
      const double coverage = std::clamp(0.5 + (kBallRadiusMm - miss) / footprint, 0.0, 1.0);
      if (coverage <= 0.0) continue;
      // Surface normal where the ray meets the ball, or at the rim for a grazing ray.
      const double depth_in = miss2 < r2 ? std::sqrt(r2 - miss2) : 0.0;
      const Vec3 hit = dir * (along - depth_in) - oc;
      const Vec3 n = hit * (1.0 / std::max(Length(hit), 1e-9));
      Blend(row[x], BallTone(n, lamps), static_cast<float>(coverage));
    }
  }
}

void PaintShaft(const PinholeCamera& cam, const ClubPose& pose, RadianceWindow& w) {
  double u0, v0, u1, v1;
  if (!cam.Project(pose.hosel, u0, v0) || !cam.Project(pose.hands, u1, v1)) return;
  const double r0 = 0.5 * cam.focal_px * pose.shaft_width_mm / (cam.centre.z - pose.hosel.z);
  const double r1 = 0.5 * cam.focal_px * pose.shaft_width_mm / (cam.centre.z - pose.hands.z);
  const double pad = std::max(r0, r1) + 1.0;
  PixelBox box;
  if (!Clip(w, std::min(u0, u1) - pad, std::min(v0, v1) - pad, std::max(u0, u1) + pad,
            std::max(v0, v1) + pad, box)) {
    return;
  }
  const double du = u1 - u0, dv = v1 - v0;
  const double len2 = du * du + dv * dv;
  if (len2 < 1e-9) return;
  const double len = std::sqrt(len2);
  for (int y = box.y0; y < box.y1; ++y) {
    const double pv = w.y0 + y + 0.5 - v0;
    // Columns of this row within reach of the shaft's line.
    int xa = box.x0, xb = box.x1;
    if (std::abs(dv) > 1e-9) {
      const double at = pv / dv * du + u0 - w.x0;  // where the centre line crosses the row
      const double spread = pad * len / std::abs(dv) + 1.0;
      xa = std::max(box.x0, static_cast<int>(std::floor(at - spread)));
      xb = std::min(box.x1, static_cast<int>(std::ceil(at + spread)) + 1);
    }
    uint16_t* row = nullptr;
    for (int x = xa; x < xb; ++x) {
      const double pu = w.x0 + x + 0.5 - u0;
      const double t = std::clamp((pu * du + pv * dv) / len2, 0.0, 1.0);
      const double eu = pu - t * du, ev = pv - t * dv;
      const double dist = std::sqrt(eu * eu + ev * ev);
      const double radius = r0 + (r1 - r0) * t;
      const double coverage = std::clamp(radius - dist + 0.5, 0.0, 1.0);
      if (coverage <= 0) continue;
      if (row == nullptr) row = w.Row(y);
      const float tone = pose.chrome ? ChromeShaftTone(dist / radius) : pose.shaft_tone;
      Blend(row[x], tone, static_cast<float>(coverage));
    }
  }
}

void PaintHead(const PinholeCamera& cam, const ClubPose& pose, RadianceWindow& w) {
  double pu[4], pv[4];
  for (int i = 0; i < 4; ++i) {
    if (!cam.Project(pose.head_corners[i], pu[i], pv[i])) return;
  }
  PixelBox box;
  if (!Clip(w, *std::min_element(pu, pu + 4) - 1, *std::min_element(pv, pv + 4) - 1,
            *std::max_element(pu, pu + 4) + 1, *std::max_element(pv, pv + 4) + 1, box)) {
    return;
  }
  // Signed distance in pixels to each edge of the convex quad, positive inside; the nearest
  // edge decides how much of a pixel the head covers.
  double nu[4], nv[4], c[4];
  double area2 = 0;
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    area2 += pu[i] * pv[j] - pu[j] * pv[i];
  }
  const double orient = area2 >= 0 ? 1.0 : -1.0;
  for (int i = 0; i < 4; ++i) {
    const int j = (i + 1) % 4;
    const double eu = pu[j] - pu[i], ev = pv[j] - pv[i];
    const double len = std::max(std::sqrt(eu * eu + ev * ev), 1e-9);
    nu[i] = -ev / len * orient;
    nv[i] = eu / len * orient;
    c[i] = -(nu[i] * pu[i] + nv[i] * pv[i]);
  }
  // Edge 2 runs along the back of the head (corners 2 and 3), edge 0 along its face.
  const double line_from_back = kTopLineFromBack * (nu[2] * pu[0] + nv[2] * pv[0] + c[2]);
  for (int y = box.y0; y < box.y1; ++y) {
    uint16_t* row = nullptr;
    const double v = w.y0 + y + 0.5;
    for (int x = box.x0; x < box.x1; ++x) {
      const double u = w.x0 + x + 0.5;
      double inside = 1e9;
      for (int i = 0; i < 4; ++i) inside = std::min(inside, nu[i] * u + nv[i] * v + c[i]);
      const double coverage = std::clamp(inside + 0.5, 0.0, 1.0);
      if (coverage <= 0) continue;
      if (row == nullptr) row = w.Row(y);
      float tone = pose.head_tone;
      if (pose.chrome) {
        const double off = std::abs(nu[2] * u + nv[2] * v + c[2] - line_from_back);
        const double line = std::clamp(kTopLineHalfWidthPx - off + 0.5, 0.0, 1.0);
        tone += (kChromeTopLineTone - tone) * static_cast<float>(line);
      }
      Blend(row[x], tone, static_cast<float>(coverage));
    }
  }
  if (pose.glint_radius_mm > 0) PaintGlint(cam, pose, w);
}

}  // namespace sim
