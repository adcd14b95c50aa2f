#include "console/camera_view.h"

#include <QImage>

namespace console {

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kGreen(0x00, 0xFF, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kYellow(0xFF, 0xFF, 0x00);
const QColor kPaleYellow(0xFF, 0xFF, 0x80);
const QColor kBlack(0x00, 0x00, 0x00);

constexpr int kPicked = 2;

// Draws in camera pixels; the painter is moved to the view's origin.
class Overlay {
 public:
  Overlay(QPainter& painter, PatchSize patch) : p_(painter), patch_(patch) {}

  void Rect(const CRectT& r, const QColor& colour, int width = 1) {
    Pen(colour, width);
    // The outline covers the rectangle's right and bottom edge pixels, as the platform's
    // rectangle outline of width x height does.
    p_.drawRect(r.m_x, r.m_y, r.m_width, r.m_height);
  }
  void Circle(const CRectT& at, const QColor& colour, int width = 1) {
    Pen(colour, width);
    p_.drawArc(at.m_x, at.m_y, patch_.width, patch_.height, 0, 360 * 16);
  }
  void Line(int x0, int y0, int x1, int y1, const QColor& colour) {
    Pen(colour, 1);
    p_.drawLine(x0, y0, x1, y1);
  }
  // Text with its top-left corner at (x, y).
  void Text(int x, int y, const QString& text, const QColor& colour) {
    Pen(colour, 1);
    p_.drawText(QRect(x, y, 400, 40), Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, text);
  }
  QPoint Centre(const CRectT& r) const {
    return {r.m_x + patch_.width / 2, r.m_y + patch_.height / 2};
  }
  PatchSize patch() const { return patch_; }

 private:
  void Pen(const QColor& colour, int width) {
    QPen pen(colour);
    pen.setWidth(width);
    pen.setJoinStyle(Qt::MiterJoin);
    p_.setPen(pen);
    p_.setBrush(Qt::NoBrush);
  }

  QPainter& p_;
  PatchSize patch_;
};

bool Picked(const CRectT& point) {
  return point.m_enabled == kPicked;
}

QString CheckLabel(const char* format, int percent, int a, int b = -1) {
  return b < 0 ? QString::asprintf(format, percent, a) : QString::asprintf(format, percent, a, b);
}

void DrawLightCheck(Overlay& o, const ViewSnapshot& v) {
  const PatchSize patch = o.patch();
  const int labelDrop = patch.height + patch.height / 3;
  for (int i = 0; i < 2; ++i) {
    for (int j = 0; j < 3; ++j) {
      const CRectT& point = v.zigPoints[i * 3 + j];
      const CCheckLight& check = v.zigCheck[i * 3 + j];
      const QColor colour = check.m_pass    ? kGreen
                            : Picked(point) ? kRed
                            : check.m_shown ? kWhite
                                            : kBlue;
      o.Circle(point, colour);
      o.Text(point.m_x, point.m_y + labelDrop, CheckLabel("%d(U-%d%d)", check.m_percent, i, j),
             kWhite);
    }
  }
  for (int k = 0; k < 4; ++k) {
    const CRectT& point = v.matPoints[k];
    const CCheckLight& check = v.matCheck[k];
    QColor colour = kBlack;
    if (check.m_pass) {
      colour = kGreen;
    } else if (check.m_shown) {
      colour = Picked(point) ? kRed : kPaleYellow;
    }
    o.Circle(point, colour);
    o.Text(point.m_x, point.m_y + labelDrop, CheckLabel("%d(D-0%d)", check.m_percent, k), kWhite);
  }
  o.Text(0, 0, "Put the ball in a gray cicle", kWhite);
  o.Text(0, 16, "Put the ball away", kWhite);
}

void DrawBallDirection(Overlay& o, const ViewSnapshot& v) {
  struct Marker {
    const CRectT& point;
    const char* label;
    QColor colour;
  };
  const Marker top{v.zigPoints[1 * 3 + 0], "top", kRed};
  const Marker left{v.zigPoints[0], "left", kGreen};
  const Marker bottom{v.matPoints[1], "bottom", kBlue};
  const Marker right{v.matPoints[0], "right", kYellow};
  for (const Marker* m : {&top, &left, &bottom, &right}) {
    o.Circle(m->point, m->colour, Picked(m->point) ? 2 : 1);
    o.Text(m->point.m_x + o.patch().width, m->point.m_y, m->label, kWhite);
  }
  const QPoint t = o.Centre(top.point), b = o.Centre(bottom.point);
  const QPoint l = o.Centre(left.point), r = o.Centre(right.point);
  o.Line(t.x(), t.y(), b.x(), b.y(), kWhite);
  o.Line(l.x(), l.y(), r.x(), r.y(), kWhite);

  // The ruler: 50 cm of tee line and 42 cm along the target line; its rows stay put while the
  // capture window moves, only the tee reference does.
  const int x = v.teeReference.m_x;
  const int y = v.teeReference.m_y;
  o.Line(x - 10, 57, x + 10, 57, kRed);
  o.Line(x - 10, 206, x + 10, 206, kRed);
  o.Line(x - 103, y - 10, x - 103, y + 10, kRed);
  o.Line(x + 103, y - 10, x + 103, y + 10, kRed);
  o.Line(x - 123, y, x + 123, y, kRed);
  o.Text(x + 123, y + 10, QString::asprintf("%.1f cm", 50.0), kRed);
  o.Line(x, 37, x, 226, kRed);
  o.Line(x - 10, y, x + 10, y, kBlue);
  o.Text(x + 4, 226, QString::asprintf("%.1f cm", 42.0), kRed);
}

}  // namespace

QFont ViewFont() {
  QFont font(QStringLiteral("굴림체"));
  // Where the face is missing, Korean-capable faces come before the generic family.
  font.setFamilies({QStringLiteral("굴림체"), QStringLiteral("GulimChe"),
                    QStringLiteral("NanumGothicCoding"), QStringLiteral("NanumGothic"),
                    QStringLiteral("Noto Sans CJK KR"), QStringLiteral("sans-serif")});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(12);
  // Crisp pixels over the live picture, as the views' labels have always been drawn.
  font.setStyleStrategy(QFont::NoAntialias);
  return font;
}

void PaintCameraView(QPainter& painter, const ViewSnapshot& v, QPoint origin, ViewModes modes,
                     PatchSize patch) {
  if (v.frame == nullptr || v.width <= 0 || v.height <= 0) return;
  // Grey values turned into the painter's own pixel format here, so drawing is a plain copy.
  QImage picture(v.width, v.height, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < v.height; ++y) {
    const uint8_t* grey = v.frame.get() + static_cast<size_t>(y) * v.width;
    auto* rgb = reinterpret_cast<QRgb*>(picture.scanLine(y));
    for (int x = 0; x < v.width; ++x) rgb[x] = 0xFF000000u | (grey[x] * 0x010101u);
  }
  painter.drawImage(origin, picture);

  painter.save();
  painter.translate(origin);
  painter.setFont(ViewFont());
  painter.setRenderHint(QPainter::Antialiasing, false);
  Overlay o(painter, patch);
  if (modes.game) {
    o.Rect(v.ballCheckArea, kRed);
    o.Circle(v.foundBallArea, kRed);
    o.Rect(v.foundBallArea, kGreen);
    o.Rect(v.triggerArea, kBlue);
  }
  o.Rect(v.foundBallArea, kGreen);
  if (!modes.lightCheck && !modes.ballDirection) o.Rect(v.clubArea, kGreen);
  if (modes.lightCheck) DrawLightCheck(o, v);
  if (modes.ballDirection) DrawBallDirection(o, v);
  if (v.clubAreaMode) o.Text(0, 0, "Put the ball away", kWhite);
  painter.restore();
}

}  // namespace console
