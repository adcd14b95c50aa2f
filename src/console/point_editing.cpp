#include "console/point_editing.h"

#include <optional>

#include "watch/bright_count.h"

namespace console {

namespace {

constexpr int32_t kPatch = 22;
constexpr int32_t kPatchFilled = kPatch * kPatch * 58 / 100;  // 280 bright pixels
constexpr int32_t kLineLevel = 160;

// Search order: column 0 rows 0..2, column 1 rows 0..2, then the mat points.
template <typename Visit>
void ForEachPoint(OperatorEdits& e, bool markersOnly, Visit visit) {
  if (markersOnly) {
    visit(e.zigPoints[0], Marker::kLeft);
    visit(e.zigPoints[3], Marker::kTop);
    visit(e.matPoints[0], Marker::kRight);
    visit(e.matPoints[1], Marker::kBottom);
    return;
  }
  for (CRectT& p : e.zigPoints) visit(p, Marker::kTop);
  for (CRectT& p : e.matPoints) visit(p, Marker::kTop);
}

std::optional<Marker> MarkerOf(OperatorEdits& e, const CRectT* point) {
  if (point == &e.zigPoints[0]) return Marker::kLeft;
  if (point == &e.zigPoints[3]) return Marker::kTop;
  if (point == &e.matPoints[0]) return Marker::kRight;
  if (point == &e.matPoints[1]) return Marker::kBottom;
  return std::nullopt;
}

CRectT ClampedBox(int32_t x, int32_t y, int32_t w, int32_t h, const ViewSnapshot& v) {
  CRectT box = MakeRect(x, y, w, h);
  return ClampToImage(box, v.width, v.height);
}

bool Lit(int32_t px, int32_t py, const ViewSnapshot& v) {
  const CRectT probe = ClampedBox(px, py, 2, 4, v);
  const int32_t lit = CountWhite(probe, v.width, v.frame.get(), kLineLevel, v.height);
  return probe.m_width * probe.m_height > 0 && lit >= probe.m_width * probe.m_height * 50 / 100;
}

// Steps the probe from start by step until the first unlit probe; none when the scan reaches
// the limit with every probe lit.
std::optional<int32_t> Scan(int32_t start, int32_t step, int32_t limit, bool vertical,
                            int32_t fixed, const ViewSnapshot& v) {
  for (int32_t at = start; step < 0 ? at > limit : at < limit; at += step) {
    const bool lit = vertical ? Lit(fixed, at, v) : Lit(at, fixed, v);
    if (!lit) return at;
  }
  return std::nullopt;
}

}  // namespace

CRectT* LastPicked(OperatorEdits& edits, bool markersOnly) {
  CRectT* last = nullptr;
  ForEachPoint(edits, markersOnly, [&](CRectT& p, Marker) {
    if (p.m_enabled == kPicked) last = &p;
  });
  return last;
}

void DropPicks(OperatorEdits& edits) {
  ForEachPoint(edits, false, [](CRectT& p, Marker) {
    if (p.m_enabled > 0) p.m_enabled = 1;
  });
}

void ClickPoint(OperatorEdits& edits, int32_t mx, int32_t my, bool ballDirection,
                const ViewSnapshot& picture, int32_t ballLevel) {
  if (CRectT* point = LastPicked(edits, ballDirection)) {
    point->m_x = mx - point->m_width / 2;
    point->m_y = my - point->m_height / 2;
    point->m_enabled = 1;
    if (picture.frame == nullptr) return;
    if (ballDirection) {
      if (const auto marker = MarkerOf(edits, point)) RefineMarker(*point, *marker, picture);
    } else {
      SnapToBrightPatch(*point, picture, ballLevel);
    }
    return;
  }
  // Hidden points count too: in ball-direction mode a click can pick one it cannot move.
  ForEachPoint(edits, false, [&](CRectT& p, Marker) {
    const bool inside =
        p.m_x <= mx && mx <= p.m_x + p.m_width && p.m_y <= my && my <= p.m_y + p.m_height;
    if (p.m_enabled > 0 && inside) p.m_enabled = kPicked;
  });
}

void SnapToBrightPatch(CRectT& point, const ViewSnapshot& v, int32_t ballLevel) {
  std::optional<CRectT> best;
  int32_t bestCount = 0;
  for (int32_t cx = point.m_x - kPatch; cx < point.m_x + point.m_width + kPatch; ++cx) {
    for (int32_t cy = point.m_y - kPatch; cy < point.m_y + point.m_height + kPatch; ++cy) {
      const CRectT box = ClampedBox(cx, cy, kPatch, kPatch, v);
      const int32_t n = CountWhite(box, v.width, v.frame.get(), ballLevel, v.height);
      // Later candidates win ties.
      if (n > kPatchFilled && n >= bestCount) {
        best = box;
        bestCount = n;
      }
    }
  }
  if (best) {
    const int32_t enabled = point.m_enabled;
    point = *best;
    point.m_enabled = enabled;
  }
}

void RefineMarker(CRectT& marker, Marker which, const ViewSnapshot& v) {
  const int32_t cx = marker.m_x + marker.m_width / 2;
  const int32_t cy = marker.m_y + marker.m_height / 2;
  const auto up = [&] { return Scan(cy, -1, 0, true, cx, v); };
  const auto down = [&] { return Scan(cy, 1, v.height, true, cx, v); };
  const auto left = [&] { return Scan(cx, -1, 0, false, cy, v); };
  const auto right = [&] { return Scan(cx, 1, v.width, false, cy, v); };
  std::optional<int32_t> a, b, c;
  int32_t x = 0, y = 0;
  switch (which) {
    case Marker::kTop:
      if (!(a = up()) || !(b = left()) || !(c = right())) return;
      x = *b + (*c - *b) / 2 + 1;
      y = *a + 2;
      break;
    case Marker::kLeft:
      if (!(a = up()) || !(b = left()) || !(c = down())) return;
      x = *b + 1;
      y = *a + (*c - *a) / 2 + 2;
      break;
    case Marker::kBottom:
      if (!(a = left()) || !(b = right()) || !(c = down())) return;
      x = *a + (*b - *a) / 2 + 1;
      y = *c - 2;
      break;
    case Marker::kRight:
      if (!(a = up()) || !(b = right()) || !(c = down())) return;
      x = *b - 1;
      y = *a + (*c - *a) / 2 + 2;
      break;
  }
  marker.m_x = x - marker.m_width / 2;
  marker.m_y = y - marker.m_height / 2;
}

}  // namespace console
