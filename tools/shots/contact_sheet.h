// Pictures of a shot: a contact sheet of every frame, and the frames one after the other for an
// animation. The kept ball of each frame is outlined and the club's start and end are marked.
// Several shot directories (the two cameras of one shot) go side by side.
#pragma once

#include <QImage>
#include <QPoint>
#include <vector>

#include "shot_frames.h"

namespace shots {

// Marks in colours that grey camera frames never have, so a reader can find them.
inline constexpr QRgb kKeptBallColour = qRgb(255, 0, 0);
inline constexpr QRgb kClubStartColour = qRgb(0, 255, 0);
inline constexpr QRgb kClubEndColour = qRgb(255, 255, 0);
inline constexpr QRgb kLabelColour = qRgb(255, 255, 255);

// Where each frame lies on the sheet: blocks of columns, one block per directory, left to right;
// in a block the frames row by row, each under a label strip.
struct SheetLayout {
  static constexpr int kColumns = 5;
  static constexpr int kLabelHeight = 18;
  static constexpr int kGap = 6;
  static constexpr int kTitleHeight = 22;
  static constexpr int kBlockGap = 24;

  int side = 0;  // frame pixels
  int rows = 0;  // of the longest block
  int blocks = 0;

  static SheetLayout For(const std::vector<ShotFrames>& shots);
  int BlockWidth() const { return kColumns * side + (kColumns - 1) * kGap; }
  QSize Size() const;
  // The top-left pixel of the n-th frame (0 = the first pre-shot frame) of a block.
  QPoint FrameOrigin(int block, int n) const;
};

// Nothing when the directories' frames differ in size.
QImage DrawContactSheet(const std::vector<ShotFrames>& shots);

// One picture per step: the n-th frame of every directory side by side, with its label; a
// directory with fewer frames keeps showing its last.
std::vector<QImage> DrawAnimationFrames(const std::vector<ShotFrames>& shots);

}  // namespace shots
