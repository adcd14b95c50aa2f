// Picking and moving points, and how a moved point finds its place in the picture.
#include "console/point_editing.h"

#include <gtest/gtest.h>

#include <QPoint>
#include <cstring>

namespace {

using console::ClickPoint;

constexpr int32_t kBallLevel = 110;

struct Picture {
  ViewSnapshot view;
  Picture() {
    view.width = view.height = 320;
    view.frame = std::make_unique<uint8_t[]>(320 * 320);
    std::memset(view.frame.get(), 30, 320 * 320);
  }
  void Fill(int x, int y, int w, int h, uint8_t value) {
    for (int row = y; row < y + h; ++row) std::memset(&view.frame[row * 320 + x], value, w);
  }
};

OperatorEdits TenPoints() {
  OperatorEdits e;
  for (int i = 0; i < 6; ++i) e.zigPoints[i] = CRectT{20 + 40 * i, 20, 22, 22, 1};
  for (int k = 0; k < 4; ++k) e.matPoints[k] = CRectT{20 + 60 * k, 250, 22, 22, 1};
  return e;
}

// Two clicks move a point: the first picks, the second moves. Where two points overlap both are
// picked, and the last in search order moves first.
TEST(PointEditing, OverlappingPointsArePickedTogetherAndMovedOneAfterTheOther) {
  Picture dark;
  OperatorEdits e = TenPoints();
  e.zigPoints[1] = e.zigPoints[0];
  ClickPoint(e, 25, 25, false, dark.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[0].m_enabled, 2);
  EXPECT_EQ(e.zigPoints[1].m_enabled, 2);
  EXPECT_EQ(e.zigPoints[2].m_enabled, 1);

  ClickPoint(e, 100, 150, false, dark.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[1], (CRectT{89, 139, 22, 22, 1})) << "centred on the click";
  EXPECT_EQ(e.zigPoints[0].m_enabled, 2) << "still picked";
  ClickPoint(e, 200, 150, false, dark.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[0], (CRectT{189, 139, 22, 22, 1}));
  EXPECT_EQ(console::LastPicked(e, false), nullptr);
}

TEST(PointEditing, AMovedPointSnapsOntoABallNearTheClick) {
  Picture ball;
  ball.Fill(150, 100, 22, 22, 230);
  OperatorEdits e = TenPoints();
  ClickPoint(e, 30, 30, false, ball.view, kBallLevel);
  ClickPoint(e, 150, 100, false, ball.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[0], (CRectT{150, 100, 22, 22, 1}));

  // Nothing bright enough around: the point stays centred on the click.
  ClickPoint(e, 160, 110, false, ball.view, kBallLevel);
  Picture dark;
  ClickPoint(e, 60, 200, false, dark.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[0], (CRectT{49, 189, 22, 22, 1}));
}

// In ball-direction mode only the markers move, onto the ends of the painted lines.
TEST(PointEditing, MarkersFindTheEndsOfThePaintedLines) {
  Picture lines;
  lines.Fill(157, 40, 6, 180, 250);  // along the target line, rows 40 to 219
  lines.Fill(40, 150, 240, 6, 250);  // across it, columns 40 to 279
  OperatorEdits e = TenPoints();
  const struct {
    CRectT* marker;
    QPoint click;        // near the line's end
    int x0, x1, y0, y1;  // where the centre must land
  } markers[] = {
      {&e.zigPoints[3], {160, 45}, 157, 163, 37, 44},     // top
      {&e.matPoints[1], {160, 214}, 157, 163, 214, 219},  // bottom
      {&e.zigPoints[0], {45, 153}, 40, 44, 150, 156},     // left
      {&e.matPoints[0], {274, 153}, 275, 279, 150, 156},  // right
  };
  for (const auto& m : markers) {
    const CRectT start = *m.marker;
    ClickPoint(e, start.m_x + 1, start.m_y + 1, true, lines.view, kBallLevel);
    ASSERT_EQ(m.marker->m_enabled, 2);
    ClickPoint(e, m.click.x(), m.click.y(), true, lines.view, kBallLevel);
    const int cx = m.marker->m_x + 11, cy = m.marker->m_y + 11;
    EXPECT_GE(cx, m.x0) << cx;
    EXPECT_LE(cx, m.x1) << cx;
    EXPECT_GE(cy, m.y0) << cy;
    EXPECT_LE(cy, m.y1) << cy;
  }
  // A point that is no marker can be picked but does not move.
  ClickPoint(e, e.zigPoints[1].m_x + 1, e.zigPoints[1].m_y + 1, true, lines.view, kBallLevel);
  EXPECT_EQ(e.zigPoints[1].m_enabled, 2);
  EXPECT_EQ(console::LastPicked(e, true), nullptr);
}

}  // namespace
