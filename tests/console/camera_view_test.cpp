// What one repaint of a camera's view draws, pixel by pixel on a grey picture, and screenshots
// of the live window for people to look at.
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <algorithm>

#include "console/camera_view.h"
#include "support/console_fixture.h"

namespace {

constexpr QRgb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kWhite = 0xFFFFFFFF;
constexpr QRgb kPaleYellow = 0xFFFFFF80, kYellow = 0xFFFFFF00, kBlack = 0xFF000000;
constexpr QRgb kBackground = 0xFF404040;  // the picture's grey
const QPoint kOrigin(46, 20);

// A 320 x 320 picture of one grey with the overlays' rectangles far apart.
struct ViewScene {
  ViewSnapshot view;
  ViewScene() {
    view.width = view.height = 320;
    view.frame = std::make_unique<uint8_t[]>(320 * 320);
    std::memset(view.frame.get(), 0x40, 320 * 320);
    view.ballCheckArea = MakeRect(10, 10, 40, 30);
    view.foundBallArea = MakeRect(100, 100, 22, 22);
    view.triggerArea = MakeRect(200, 10, 50, 20);
    view.clubArea = MakeRect(60, 200, 80, 60);
    view.teeReference = MakeRect(160, 103, 246, 0);
    for (int i = 0; i < 6; ++i) view.zigPoints[i] = CRectT{20 + 50 * i, 280, 22, 22, 1};
    for (int k = 0; k < 4; ++k) view.matPoints[k] = CRectT{20 + 70 * k, 150, 22, 22, 1};
  }
  QImage Paint(console::ViewModes modes) const {
    QImage image(420, 380, QImage::Format_RGB32);
    image.fill(Qt::lightGray);
    QPainter painter(&image);
    console::PaintCameraView(painter, view, kOrigin, modes, {});
    return image;
  }
};

QRgb At(const QImage& image, int x, int y) {
  return image.pixel(kOrigin.x() + x, kOrigin.y() + y);
}

// The pixel on the middle of a rectangle's top edge.
QRgb TopEdge(const QImage& image, const CRectT& r) {
  return At(image, r.m_x + r.m_width / 2, r.m_y);
}

// The leftmost point of a check point's circle.
QRgb CircleLeft(const QImage& image, const CRectT& point) {
  return At(image, point.m_x, point.m_y + 11);
}

TEST(CameraView, EachModeDrawsItsOverlaysInTheirColours) {
  ViewScene scene;
  const console::ViewModes game{true, false, false}, lightCheck{false, true, false},
      direction{false, false, true}, clubArea{false, false, false};
  const QImage inGame = scene.Paint(game);
  EXPECT_EQ(At(inGame, 200, 200), kBackground) << "the picture lies 1:1 at the origin";
  EXPECT_EQ(inGame.pixel(kOrigin.x() - 1, kOrigin.y()), QColor(Qt::lightGray).rgb());
  EXPECT_EQ(TopEdge(inGame, scene.view.ballCheckArea), kRed);
  EXPECT_EQ(TopEdge(inGame, scene.view.foundBallArea), kGreen);
  EXPECT_EQ(TopEdge(inGame, scene.view.triggerArea), kBlue);
  EXPECT_EQ(TopEdge(inGame, scene.view.clubArea), kGreen);

  const QImage inClubArea = scene.Paint(clubArea);
  EXPECT_EQ(TopEdge(inClubArea, scene.view.ballCheckArea), kBackground);
  EXPECT_EQ(TopEdge(inClubArea, scene.view.triggerArea), kBackground);
  EXPECT_EQ(TopEdge(inClubArea, scene.view.foundBallArea), kGreen);
  EXPECT_EQ(TopEdge(inClubArea, scene.view.clubArea), kGreen);

  for (const QImage& editing : {scene.Paint(lightCheck), scene.Paint(direction)}) {
    EXPECT_EQ(TopEdge(editing, scene.view.clubArea), kBackground) << "no club area";
    EXPECT_EQ(TopEdge(editing, scene.view.foundBallArea), kGreen);
  }
}

TEST(CameraView, CheckPointsTakeTheirColourFromTheirResult) {
  ViewScene scene;
  ViewSnapshot& v = scene.view;
  // Zig points: passing, shown, hidden, picked and shown, picked and hidden.
  v.zigCheck[0] = {70, 1, 1};
  v.zigCheck[1] = {10, 0, 1};
  v.zigCheck[2] = {10, 0, 0};
  v.zigCheck[3] = {10, 0, 1};
  v.zigPoints[3].m_enabled = 2;
  v.zigCheck[4] = {10, 0, 0};
  v.zigPoints[4].m_enabled = 2;
  // Mat points: passing, shown, picked and shown, hidden (picked or not: black).
  v.matCheck[0] = {70, 1, 1};
  v.matCheck[1] = {10, 0, 1};
  v.matCheck[2] = {10, 0, 1};
  v.matPoints[2].m_enabled = 2;
  v.matCheck[3] = {10, 0, 0};
  v.matPoints[3].m_enabled = 2;
  const QImage image = scene.Paint({false, true, false});
  const QRgb zig[] = {kGreen, kWhite, kBlue, kRed, kRed};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(CircleLeft(image, v.zigPoints[i]), zig[i]) << i;
  const QRgb mat[] = {kGreen, kPaleYellow, kRed, kBlack};
  for (int k = 0; k < 4; ++k) EXPECT_EQ(CircleLeft(image, v.matPoints[k]), mat[k]) << k;
  // Labels in white, 22 + 7 rows below the point's top.
  const CRectT& p = v.matPoints[1];
  bool whiteLabel = false;
  for (int x = p.m_x; x < p.m_x + 60; ++x) {
    for (int y = p.m_y + 29; y < p.m_y + 29 + 14; ++y) whiteLabel |= At(image, x, y) == kWhite;
  }
  EXPECT_TRUE(whiteLabel);
  bool labelAbove = false;
  for (int x = p.m_x; x < p.m_x + 60; ++x) labelAbove |= At(image, x, p.m_y + 28) == kWhite;
  EXPECT_FALSE(labelAbove);
}

// The markers and the ruler; the ruler's fixed rows stay while the capture window moves.
TEST(CameraView, BallDirectionDrawsMarkersLinesAndTheRuler) {
  for (const int shift : {0, 12}) {
    SCOPED_TRACE(shift);
    ViewScene scene;
    ViewSnapshot& v = scene.view;
    v.teeReference.m_x += shift;
    v.teeReference.m_y += shift;
    v.zigPoints[3] = CRectT{120, 40, 22, 22, 2};   // "top", picked: width 2
    v.zigPoints[0] = CRectT{10, 140, 22, 22, 1};   // "left"
    v.matPoints[1] = CRectT{120, 240, 22, 22, 1};  // "bottom"
    v.matPoints[0] = CRectT{270, 140, 22, 22, 1};  // "right"
    const QImage image = scene.Paint({false, false, true});
    // Top and bottom are probed on their left, left and right on their top, off the lines.
    const auto top = [&](const CRectT& p) { return At(image, p.m_x + 11, p.m_y); };
    EXPECT_EQ(CircleLeft(image, v.zigPoints[3]), kRed);
    EXPECT_EQ(At(image, v.zigPoints[3].m_x - 1, v.zigPoints[3].m_y + 11), kRed) << "width 2";
    EXPECT_EQ(top(v.zigPoints[0]), kGreen);
    EXPECT_EQ(At(image, v.zigPoints[0].m_x + 11, v.zigPoints[0].m_y - 1), kBackground);
    EXPECT_EQ(CircleLeft(image, v.matPoints[1]), kBlue);
    EXPECT_EQ(top(v.matPoints[0]), kYellow);
    EXPECT_EQ(At(image, 131, 200), kWhite) << "top to bottom, through the centres";
    EXPECT_EQ(At(image, 80, 151), kWhite) << "left to right";
    const int x = v.teeReference.m_x, y = v.teeReference.m_y;
    EXPECT_EQ(At(image, x, 180), kRed) << "the target line";
    EXPECT_EQ(At(image, x + 5, 57), kRed);
    EXPECT_EQ(At(image, x + 5, 206), kRed);
    EXPECT_EQ(At(image, x - 120, y), kRed) << "the tee line";
    EXPECT_EQ(At(image, x - 103, y - 8), kRed);
    EXPECT_EQ(At(image, x - 5, y), kBlue);
  }
}

TEST(CameraView, TheViewFontWritesKorean) {
  const QFontInfo font(console::ViewFont());
  EXPECT_TRUE(QFontDatabase::families(QFontDatabase::Korean).contains(font.family()))
      << font.family().toStdString() << ": Korean would show as boxes";
  EXPECT_EQ(font.pixelSize(), 12);
}

// The live window on the simulated bay in each mode, written to the build tree.
class ConsoleScreens : public test_support::ConsoleFixture {};

TEST_F(ConsoleScreens, TheLiveViewsAreWrittenForPeopleToLookAt) {
  Start("fps 500\ncameras 2\nseed 3\nat 0.2 place iron\nend 60\n");
  window->setWindowState(Qt::WindowNoState);
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  ASSERT_TRUE(WaitFor([&] { return Main().m_watch.m_ballState == BALL_READY; }, 30));
  // A full second of frames on both cameras for the read-outs.
  WaitFor([] { return false; }, 1.5);
  const QString folder = QString(KESTRIX_SCREENSHOT_DIR);
  QDir().mkpath(folder);
  const struct {
    const char* name;
    int box;
  } modes[] = {{"light_check", 1019}, {"ball_direction", 1053}, {"game", 1084}};
  QImage shot;
  for (const auto& mode : modes) {
    // As the installer switches: the mode's own points and controls come with it.
    QTest::mouseClick(Find<QCheckBox>(mode.box), Qt::LeftButton);
    window->StatusTick();
    WaitFor([] { return false; }, 0.6);
    // A slow (sanitizer) build can drop frames and lose the ball for a moment: game mode draws
    // the box only while it is found (in the other modes the ball need not be ready).
    if (mode.box == 1084) WaitFor([&] { return Main().m_watch.m_ballState == BALL_READY; }, 10);
    shot = window->grab().toImage();
    ASSERT_TRUE(shot.save(folder + "/console_" + mode.name + ".png")) << mode.name;
  }
  // The found ball's green box over the live picture in game mode; the ball lies still, and its
  // box is read once the capture threads have ended. The watch re-finds it every frame on a noisy
  // picture, so the box painted may sit a pixel or two from the last one.
  window->core().Shutdown();
  const CRectT ball = Main().m_foundBallArea;
  const QPoint o = window->ViewOrigin(0);
  // A row of green at least half the box wide, within a few pixels of its top edge.
  constexpr int kSlack = 4;
  int longestRun = 0;
  for (int dy = -kSlack; dy <= kSlack; ++dy) {
    int run = 0;
    for (int dx = -kSlack; dx <= ball.m_width + kSlack; ++dx) {
      const QPoint p(o.x() + ball.m_x + dx, o.y() + ball.m_y + dy);
      run = shot.valid(p) && shot.pixel(p) == kGreen ? run + 1 : 0;
      longestRun = std::max(longestRun, run);
    }
  }
  EXPECT_GE(longestRun, ball.m_width / 2)
      << "no green box edge at the found ball (" << ball.m_x << ", " << ball.m_y << ")";
}

}  // namespace
