#include "console/window_layout.h"

#include <QFrame>

#include "console/adjustment_fields.h"
#include "console/control_ids.h"

namespace console {

namespace {

constexpr int kRow = 24;  // one line of a column
constexpr int kColumnX = 420;
constexpr int kFrameX = 850;
constexpr int kSubColumnX = 660;  // the main camera's combos, right of its read-outs
constexpr QPoint kMainViewOrigin{46, 20};

template <typename Widget>
Widget* Make(QWidget* parent, int id, const QString& text, QRect place) {
  auto* widget = new Widget(text, parent);
  if (id != 0) widget->setObjectName(IdName(id));
  widget->setGeometry(place);
  return widget;
}

QLabel* Label(QWidget* parent, const QString& text, QRect place, int id = 0) {
  return Make<QLabel>(parent, id, text, place);
}

// A read-out: a sunken field that the status loop writes.
QLabel* ReadOut(QWidget* parent, int id, QRect place) {
  QLabel* field = Label(parent, QString(), place, id);
  field->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  return field;
}

QPushButton* Button(QWidget* parent, int id, const QString& text, QRect place) {
  auto* button = Make<QPushButton>(parent, id, text, place);
  // Enter belongs to the window (it closes it, as the platform's default command does).
  button->setAutoDefault(false);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

QLineEdit* Edit(QWidget* parent, int id, QRect place) {
  auto* edit = Make<QLineEdit>(parent, id, QString(), place);
  return edit;
}

QComboBox* Combo(QWidget* parent, int id, const QStringList& items, QRect place) {
  auto* combo = new QComboBox(parent);
  combo->setObjectName(IdName(id));
  combo->addItems(items);
  combo->setGeometry(place);
  return combo;
}

// One camera's column of read-outs and mode boxes, from its first row down.
void BuildCameraColumn(QWidget* w, const CameraIds& id, int top, CameraControls& c) {
  const int x = kColumnX;
  const int valueX = x + 110;
  Label(w, "Status :", QRect(x, top, 100, 20));
  c.status = ReadOut(w, id.status, QRect(valueX, top, 60, 20));
  Label(w, "FPS :", QRect(x, top + kRow, 100, 20));
  c.fps = ReadOut(w, id.fps, QRect(valueX, top + kRow, 110, 20));
  Label(w, "Ball status :", QRect(x, top + 2 * kRow, 100, 20));
  c.ballStatus = ReadOut(w, id.ballStatus, QRect(valueX, top + 2 * kRow, 160, 20));
  c.ballDirection =
      Make<QCheckBox>(w, id.ballDirection, "ball direction", QRect(x, top + 3 * kRow, 120, 20));
  c.clubArea =
      Make<QCheckBox>(w, id.clubArea, "club area", QRect(x + 130, top + 3 * kRow, 110, 20));
  c.lightCheck =
      Make<QCheckBox>(w, id.lightCheck, "check light", QRect(x, top + 4 * kRow, 120, 20));
  c.gameMode =
      Make<QCheckBox>(w, id.gameMode, "game mode", QRect(x + 130, top + 4 * kRow, 120, 20));
  c.brightnessLabel =
      Label(w, "Brightness :", QRect(x, top + 5 * kRow, 100, 20), id.brightnessLabel);
  c.brightness = Edit(w, id.brightness, QRect(valueX, top + 5 * kRow, 60, 20));
  c.brightness->setValidator(new QIntValidator(0, 999999, c.brightness));
  c.brightnessSpin = new QSpinBox(w);
  c.brightnessSpin->setObjectName(IdName(id.brightnessSpin));
  c.brightnessSpin->setGeometry(valueX + 62, top + 5 * kRow, 18, 20);
  c.brightnessSpin->setButtonSymbols(QAbstractSpinBox::UpDownArrows);
  c.autoBrightnessLabel =
      Label(w, "Brightness(Auto) :", QRect(x, top + 6 * kRow, 110, 20), id.autoBrightnessLabel);
  c.autoBrightness = ReadOut(w, id.autoBrightness, QRect(valueX, top + 6 * kRow, 60, 20));
  c.simulate = Button(w, id.simulate, "simulate", QRect(x + 200, top + 6 * kRow, 70, 20));
  c.simulateText = Edit(w, id.simulateText, QRect(x + 200, top + 5 * kRow, 70, 20));
}

// The message line ("Sensor Info :") of a camera, the widest field of its column.
void BuildMessageLine(QWidget* w, int id, int y, CameraControls& c) {
  Label(w, "Sensor Info :", QRect(kColumnX, y, 100, 20));
  c.message = ReadOut(w, id, QRect(kColumnX + 110, y, 560, 20));
}

// One band of the launch-data frame: the label and read-out on the first line, the adjustment
// edits on the second; each edit is (prefix, id, suffix).
struct AdjustmentEdit {
  const char* label;
  const char* prefix;
  int id;
  const char* suffix;
};

int BuildBand(QWidget* w, ConsoleControls& c, int y, const char* label, QLabel*& readOut,
              int readOutId, std::initializer_list<AdjustmentEdit> edits) {
  const int x = kFrameX + 10;
  Label(w, label, QRect(x, y, 80, 20));
  readOut = ReadOut(w, readOutId, QRect(x + 90, y, 100, 20));
  int editX = x;
  for (const AdjustmentEdit& e : edits) {
    Label(w, e.label, QRect(editX, y + kRow, 28, 20));
    Label(w, e.prefix, QRect(editX + 28, y + kRow, 10, 20));
    c.adjustments[e.id] = Edit(w, e.id, QRect(editX + 40, y + kRow, 40, 20));
    Label(w, e.suffix, QRect(editX + 82, y + kRow, 14, 20));
    editX += 98;
  }
  auto* line = new QFrame(w);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(kFrameX + 4, y + 2 * kRow + 2, 300, 4);
  return y + 2 * kRow + 10;
}

void BuildLaunchFrame(QWidget* w, ConsoleControls& c) {
  auto* frame = new QFrame(w);
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  frame->setGeometry(kFrameX, 10, 312, 352);
  Label(w, "Club :", QRect(kFrameX + 10, 18, 80, 20));
  c.club = Combo(w, ids::kClub, {"Driver", "Iron", "Putter", "Rough", "Bunker"},
                 QRect(kFrameX + 100, 18, 100, 22));
  int y = 48;
  y = BuildBand(w, c, y, "Speed :", c.speed, ids::kSpeed,
                {{"D/I :", "x", 1042, "%"}, {"P :", "x", 1046, "%"}});
  y = BuildBand(w, c, y, "h angle :", c.hAngle, ids::kHAngle,
                {{"D/I :", "+", 1037, "º"}, {"P :", "+", 1050, "º"}});
  const int vAngleTop = y;
  y = BuildBand(w, c, y, "v angle :", c.vAngle, ids::kVAngle,
                {{"D :", "+", 1031, "º"}, {"I :", "+", 1032, "º"}});
  c.vAngleAdj =
      Button(w, ids::kVAngleAdj, "VAngle Adj", QRect(kFrameX + 206, vAngleTop + kRow, 90, 20));
  y = BuildBand(w, c, y, "side spin :", c.sideSpin, ids::kSideSpin,
                {{"H :", "x", 1044, "%"}, {"S :", "x", 1052, "%"}, {"", "+", 1049, ""}});
  y = BuildBand(w, c, y, "back spin :", c.backSpin, ids::kBackSpin, {{"", "x", 1045, "%"}});
  c.process = Button(w, ids::kProcess, "process", QRect(kFrameX + 10, y, 90, 22));
  c.applyAdjustments = Button(w, ids::kApplyAdjustments, "apply", QRect(kFrameX + 206, y, 90, 22));
}

void BuildViewButtons(QWidget* w, const CameraIds& id, CameraControls& c) {
  c.left = Button(w, id.left, "left", {});
  c.right = Button(w, id.right, "right", {});
  c.top = Button(w, id.top, "top", {});
  c.bottom = Button(w, id.bottom, "bottom", {});
  c.reset = Button(w, id.reset, "reset", {});
  c.save = Button(w, id.save, "save", {});
  c.apply = Button(w, id.apply, "apply", {});
  c.checkLight = Button(w, id.checkLight, "check light(ball/mat)", {});
  c.viewFront = Make<QCheckBox>(w, id.viewFront, "view front", {});
  c.viewPopup = Button(w, id.viewPopup, "view popup", {});
}

}  // namespace

void BuildControls(QWidget* window, ConsoleControls& controls) {
  CameraControls& main = controls.cameras[0];
  CameraControls& side = controls.cameras[1];
  const int mainTop = kMainViewOrigin.y();
  BuildCameraColumn(window, kCameraIds[0], mainTop, main);
  Label(window, "ScanType :", QRect(kSubColumnX, mainTop, 90, 20));
  controls.scanType = Combo(window, ids::kScanType, {"Both", "Right", "Left"},
                            QRect(kSubColumnX + 90, mainTop - 1, 90, 22));
  Label(window, "DriverReady :", QRect(kSubColumnX, mainTop + kRow, 90, 20));
  controls.driverReady = Combo(window, ids::kDriverReady, {"Slow", "Fast"},
                               QRect(kSubColumnX + 90, mainTop + kRow - 1, 90, 22));
  // Below the main view's two rows of buttons, so the side view's "top" button clears them.
  const int mainMessageY = mainTop + kViewSize + 36;
  Label(window, "VERSION :", QRect(kColumnX, mainMessageY - kRow, 100, 20));
  controls.version =
      ReadOut(window, ids::kVersion, QRect(kColumnX + 110, mainMessageY - kRow, 100, 20));
  BuildMessageLine(window, kCameraIds[0].message, mainMessageY, main);

  const int sideTop = SideViewOrigin(controls).y();
  BuildCameraColumn(window, kCameraIds[1], sideTop, side);
  BuildMessageLine(window, kCameraIds[1].message, sideTop + kViewSize - 20, side);
  Label(window, "club path :", QRect(kFrameX, sideTop, 80, 20));
  controls.clubPath = ReadOut(window, ids::kClubPath, QRect(kFrameX + 90, sideTop, 160, 20));

  BuildLaunchFrame(window, controls);
  for (int camera = 0; camera < 2; ++camera)
    BuildViewButtons(window, kCameraIds[camera], controls.cameras[camera]);
  window->resize(kFrameX + 320, kWindowHeight);
}

QPoint SideViewOrigin(const ConsoleControls& controls) {
  const QLabel* line = controls.cameras[0].message;
  return QPoint(kMainViewOrigin.x(), line->geometry().bottom() + 1 + 10);
}

void PlaceViewButtons(CameraControls& c, QPoint origin, int width, int height) {
  const int ox = origin.x();
  const int oy = origin.y();
  const int w = width;
  const int h = height;
  c.left->setGeometry(ox - 46, oy + h / 2, 46, 20);
  c.right->setGeometry(ox + w, oy + h / 2, 46, 20);
  c.top->setGeometry(ox + w / 2, oy - 20, 46, 20);
  c.bottom->setGeometry(ox + w / 2, oy + h, 46, 20);
  c.reset->setGeometry(ox + w / 2 + 46, oy + h, 46, 20);
  c.save->setGeometry(ox + w / 2 + 92, oy + h, 46, 20);
  c.apply->setGeometry(ox + w / 2 + 138, oy + h, 46, 20);
  c.checkLight->setGeometry(ox, oy + h, 138, 16);
  c.viewFront->setGeometry(ox, oy + h + 18, 138, 16);
  c.viewPopup->setGeometry(ox + 138, oy + h + 18, 92, 16);
}

}  // namespace console
