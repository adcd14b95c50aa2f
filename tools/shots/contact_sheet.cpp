#include "contact_sheet.h"

#include <QPainter>
#include <algorithm>
#include <string>

namespace shots {
namespace {

QString FrameLabel(int index) {
  if (index < 0) return QStringLiteral("prev %1").arg(-index);
  if (index == 0) return QStringLiteral("0 trigger");
  return QString::number(index);
}

QImage GreyImage(const ShotFrames& shot, const ShotFrame& frame) {
  QImage image(shot.side, shot.side, QImage::Format_Grayscale8);
  for (int y = 0; y < shot.side; ++y) {
    std::copy_n(frame.pixels.data() + static_cast<size_t>(y) * shot.side, shot.side,
                image.scanLine(y));
  }
  return image;
}

void DrawCross(QPainter& painter, QPoint at, QRgb colour) {
  painter.setPen(QPen(QColor(colour), 1));
  painter.drawLine(at.x() - 6, at.y(), at.x() + 6, at.y());
  painter.drawLine(at.x(), at.y() - 6, at.x(), at.y() + 6);
}

// The frame with its label strip above it; origin is the frame's own top-left pixel.
void DrawFrame(QPainter& painter, QPoint origin, const ShotFrames& shot, const ShotFrame& frame) {
  painter.drawImage(origin, GreyImage(shot, frame));
  painter.setPen(QColor(kLabelColour));
  painter.drawText(QRect(origin.x(), origin.y() - SheetLayout::kLabelHeight, shot.side,
                         SheetLayout::kLabelHeight),
                   Qt::AlignLeft | Qt::AlignVCenter, FrameLabel(frame.index));
  painter.setClipRect(QRect(origin, QSize(shot.side, shot.side)));
  if (frame.keptBall) {
    const KeptBall& b = *frame.keptBall;
    // The log gives the box's width only; a ball is as tall as it is wide.
    const int width = std::max(b.width, 1);
    painter.setPen(QPen(QColor(kKeptBallColour), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(origin.x() + b.x, origin.y() + b.y, width - 1, width - 1);
  }
  if (frame.clubStart) {
    DrawCross(painter, origin + QPoint(frame.clubStart->x, frame.clubStart->y), kClubStartColour);
  }
  if (frame.clubEnd) {
    DrawCross(painter, origin + QPoint(frame.clubEnd->x, frame.clubEnd->y), kClubEndColour);
  }
  painter.setClipping(false);
}

void DrawTitle(QPainter& painter, int x, int width, const ShotFrames& shot) {
  painter.setPen(QColor(kLabelColour));
  painter.drawText(QRect(x, 0, width, SheetLayout::kTitleHeight), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(shot.record.name));
}

bool SameSize(const std::vector<ShotFrames>& shots) {
  return !shots.empty() && std::all_of(shots.begin(), shots.end(), [&](const ShotFrames& s) {
    return s.side == shots.front().side;
  });
}

}  // namespace

SheetLayout SheetLayout::For(const std::vector<ShotFrames>& shots) {
  SheetLayout layout;
  layout.blocks = static_cast<int>(shots.size());
  size_t longest = 0;
  for (const ShotFrames& s : shots) longest = std::max(longest, s.frames.size());
  layout.side = shots.empty() ? 0 : shots.front().side;
  layout.rows = static_cast<int>((longest + kColumns - 1) / kColumns);
  return layout;
}

QSize SheetLayout::Size() const {
  const int width = blocks * BlockWidth() + (blocks - 1) * kBlockGap;
  const int height = kTitleHeight + rows * (kLabelHeight + side) + (rows - 1) * kGap;
  return {width, height};
}

QPoint SheetLayout::FrameOrigin(int block, int n) const {
  const int column = n % kColumns, row = n / kColumns;
  return {block * (BlockWidth() + kBlockGap) + column * (side + kGap),
          kTitleHeight + row * (kLabelHeight + side + kGap) + kLabelHeight};
}

QImage DrawContactSheet(const std::vector<ShotFrames>& shots) {
  if (!SameSize(shots)) return {};
  const SheetLayout layout = SheetLayout::For(shots);
  QImage sheet(layout.Size(), QImage::Format_RGB32);
  sheet.fill(Qt::black);
  QPainter painter(&sheet);
  for (int b = 0; b < layout.blocks; ++b) {
    const ShotFrames& shot = shots[static_cast<size_t>(b)];
    DrawTitle(painter, layout.FrameOrigin(b, 0).x(), layout.BlockWidth(), shot);
    for (size_t n = 0; n < shot.frames.size(); ++n) {
      DrawFrame(painter, layout.FrameOrigin(b, static_cast<int>(n)), shot, shot.frames[n]);
    }
  }
  return sheet;
}

std::vector<QImage> DrawAnimationFrames(const std::vector<ShotFrames>& shots) {
  if (!SameSize(shots)) return {};
  const int side = shots.front().side;
  const int blocks = static_cast<int>(shots.size());
  size_t longest = 0;
  for (const ShotFrames& s : shots) longest = std::max(longest, s.frames.size());
  std::vector<QImage> pictures;
  for (size_t n = 0; n < longest; ++n) {
    QImage picture(blocks * side + (blocks - 1) * SheetLayout::kGap,
                   SheetLayout::kLabelHeight + side, QImage::Format_RGB32);
    picture.fill(Qt::black);
    QPainter painter(&picture);
    for (int b = 0; b < blocks; ++b) {
      const ShotFrames& shot = shots[static_cast<size_t>(b)];
      const ShotFrame& frame = shot.frames[std::min(n, shot.frames.size() - 1)];
      DrawFrame(painter, QPoint(b * (side + SheetLayout::kGap), SheetLayout::kLabelHeight), shot,
                frame);
    }
    painter.end();
    pictures.push_back(std::move(picture));
  }
  return pictures;
}

}  // namespace shots
