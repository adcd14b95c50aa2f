// One camera's view: the live picture 1:1 at its origin and the overlays of the camera's mode.
#pragma once

#include <QPainter>
#include <QPoint>

#include "camera/view_snapshot.h"

namespace console {

struct ViewModes {
  bool game = false;
  bool lightCheck = false;
  bool ballDirection = false;
};

// The check point's circle size (the ball patch of the camera's tuning table).
struct PatchSize {
  int width = 22;
  int height = 22;
};

void PaintCameraView(QPainter& painter, const ViewSnapshot& view, QPoint origin, ViewModes modes,
                     PatchSize patch);

// The views' text font: "굴림체" at 12 pixels, or a Korean-capable sans-serif where it is missing.
QFont ViewFont();

}  // namespace console
