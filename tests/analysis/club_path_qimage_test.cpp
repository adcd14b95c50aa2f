// The club-path picture opens in a standard image reader (Qt's) with its size and pixels.
#include <gtest/gtest.h>
#include <QImage>
#include <QString>

#include <string>

#include "analysis/club_path_image.h"
#include "club_path_frames.h"
#include "support/temp_dir.h"

namespace {

using club_path_test::Frame;
using test_support::TempDir;

QImage SaveAndOpen(const TempDir& dir, const Frame& frame, int32_t x, float angle) {
  const std::string path = dir.File("club_path.bmp");
  EXPECT_TRUE(WriteClubPathImage(frame.width, frame.data(), path.c_str(), frame.height, x, angle));
  QImage image(QString::fromStdString(path));
  EXPECT_FALSE(image.isNull());
  EXPECT_EQ(image.format(), QImage::Format_Indexed8);
  return image;
}

// QImage counts rows from the top.
int GreyAt(const QImage& image, int x, int yFromTop) {
  return qGray(image.pixel(x, yFromTop));
}

TEST(ClubPathQImage, UnturnedPictureOpensUprightAt320By400) {
  TempDir dir;
  const QImage columns = SaveAndOpen(dir, club_path_test::ColumnFrame(320, 240), 100, 0);
  ASSERT_EQ(columns.width(), 320);
  ASSERT_EQ(columns.height(), 400);
  EXPECT_EQ(GreyAt(columns, 0, 0), 20);  // crop columns 20..179, each shown twice
  EXPECT_EQ(GreyAt(columns, 101, 250), 70);
  EXPECT_EQ(GreyAt(columns, 319, 399), 179);

  const QImage rows = SaveAndOpen(dir, club_path_test::RowFrame(320, 240), 100, 0);
  ASSERT_EQ(rows.height(), 400);
  EXPECT_EQ(GreyAt(rows, 5, 0), 40);  // the top of the bottom 200 frame rows
  EXPECT_EQ(GreyAt(rows, 5, 201), 140);
  EXPECT_EQ(GreyAt(rows, 5, 399), 239);
}

TEST(ClubPathQImage, TurnedPictureOpensWithItsCornersFilled) {
  TempDir dir;
  const auto& turn = club_path_test::kTurnCases[0];
  ASSERT_EQ(turn.angle, -3);
  const QImage columns = SaveAndOpen(dir, club_path_test::ColumnFrame(320, 240), 100, -3);
  ASSERT_EQ(columns.width(), 342);
  ASSERT_EQ(columns.height(), 418);
  for (const auto& p : turn.points) {
    EXPECT_EQ(GreyAt(columns, p.i, 417 - p.j), club_path_test::ColumnAt(p.x)) << p.i << ", " << p.j;
  }

  const QImage marked = SaveAndOpen(dir, club_path_test::CornerMarkFrame(320, 240, 20), 100, -3);
  ASSERT_EQ(marked.width(), 342);
  for (const auto& [x, y] :
       {std::pair{0, 0}, std::pair{341, 0}, std::pair{0, 417}, std::pair{341, 417}}) {
    EXPECT_EQ(GreyAt(marked, x, y), 9) << x << ", " << y;
  }
  EXPECT_EQ(GreyAt(marked, 171, 209), 200);
}

}  // namespace
