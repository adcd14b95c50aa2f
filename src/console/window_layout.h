// The controls of the main window and where they stand: the two camera views on the left, each
// camera's column of read-outs and mode boxes beside its view, the launch-data frame at the top
// right. The window holds them; the console's parts reach them through these structs.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPoint>
#include <QPushButton>
#include <QSpinBox>
#include <QWidget>
#include <map>

namespace console {

inline constexpr int kViewSize = 320;  // both cameras' image at start, 1:1 on screen
inline constexpr int kWindowHeight = 768;

struct CameraControls {
  QLabel* fps = nullptr;
  QLabel* ballStatus = nullptr;
  QLabel* status = nullptr;
  QLabel* message = nullptr;
  QCheckBox* ballDirection = nullptr;
  QCheckBox* clubArea = nullptr;
  QCheckBox* lightCheck = nullptr;
  QCheckBox* gameMode = nullptr;
  QLabel* brightnessLabel = nullptr;
  QLineEdit* brightness = nullptr;
  QSpinBox* brightnessSpin = nullptr;
  QLabel* autoBrightnessLabel = nullptr;
  QLabel* autoBrightness = nullptr;
  QPushButton* left = nullptr;
  QPushButton* right = nullptr;
  QPushButton* top = nullptr;
  QPushButton* bottom = nullptr;
  QPushButton* reset = nullptr;
  QPushButton* save = nullptr;
  QPushButton* apply = nullptr;
  QPushButton* checkLight = nullptr;
  QCheckBox* viewFront = nullptr;
  QPushButton* viewPopup = nullptr;
  QPushButton* simulate = nullptr;
  QLineEdit* simulateText = nullptr;
};

struct ConsoleControls {
  CameraControls cameras[2];  // main, side
  QLabel* version = nullptr;
  QComboBox* club = nullptr;
  QComboBox* scanType = nullptr;
  QComboBox* driverReady = nullptr;
  QLabel* clubPath = nullptr;
  QLabel* speed = nullptr;
  QLabel* hAngle = nullptr;
  QLabel* vAngle = nullptr;
  QLabel* sideSpin = nullptr;
  QLabel* backSpin = nullptr;
  std::map<int, QLineEdit*> adjustments;  // by id
  QPushButton* applyAdjustments = nullptr;
  QPushButton* vAngleAdj = nullptr;
  QPushButton* process = nullptr;
};

// Creates every control of the window in its place, texts as the window shows them.
void BuildControls(QWidget* window, ConsoleControls& controls);

// The side view's origin: ten pixels below the main camera's message line.
QPoint SideViewOrigin(const ConsoleControls& controls);

// The ten buttons around a camera's view, placed from its origin and image size.
void PlaceViewButtons(CameraControls& camera, QPoint origin, int width, int height);

}  // namespace console
