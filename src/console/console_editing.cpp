// The installer's editing of a camera from the main window: the four mode boxes, picking and
// moving the light-check points and markers, dragging club areas, moving the capture window,
// "reset", and "save" of the ball direction. Every change reaches a capturing camera through
// its edit and mode requests, taken by its capture thread before the next watch step.
#include <QMouseEvent>
#include <cmath>

#include "camera/camera_modes.h"
#include "console/console_window.h"
#include "console/point_editing.h"

namespace {

using console::CameraControls;

constexpr int32_t kWindowStep = 2;  // sensor rows or columns per press
constexpr const char* kNoBallDirection =
    "Not saved: the top and bottom markers lie on one row, so there is no direction";

}  // namespace

void CTestKestrixDlg::ConnectEditing(int index) {
  CameraControls& c = controls_.cameras[index];
  const std::pair<QCheckBox*, CameraMode> boxes[] = {{c.lightCheck, CameraMode::LightCheck},
                                                     {c.ballDirection, CameraMode::BallDirection},
                                                     {c.clubArea, CameraMode::ClubArea},
                                                     {c.gameMode, CameraMode::Game}};
  for (const auto& [box, mode] : boxes) {
    connect(box, &QCheckBox::clicked, this,
            [this, index, mode = mode] { SelectMode(index, mode); });
  }
  const std::pair<QPushButton*, IntPoint> moves[] = {{c.top, {0, kWindowStep}},
                                                     {c.bottom, {0, -kWindowStep}},
                                                     {c.left, {kWindowStep, 0}},
                                                     {c.right, {-kWindowStep, 0}}};
  for (const auto& [button, step] : moves) {
    connect(button, &QPushButton::clicked, this,
            [this, index, step = step] { MoveCaptureWindow(index, step); });
  }
  connect(c.reset, &QPushButton::clicked, this, [this, index] { Reset(index); });
  connect(c.save, &QPushButton::clicked, this, [this, index] { SaveBallDirection(index); });
}

void CTestKestrixDlg::SelectMode(int index, CameraMode mode) {
  CameraControls& c = controls_.cameras[index];
  c.message->clear();
  c.lightCheck->setChecked(mode == CameraMode::LightCheck);
  c.ballDirection->setChecked(mode == CameraMode::BallDirection);
  c.clubArea->setChecked(mode == CameraMode::ClubArea);
  c.gameMode->setChecked(mode == CameraMode::Game);
  editing_[index] = {};
  editing_[index].pointEditing =
      mode == CameraMode::LightCheck || mode == CameraMode::BallDirection;
  // Drops the picks, re-reads the settings, lays the points out and applies the gain again, on
  // the capture thread when the camera captures.
  RequestCameraMode(Camera(index), mode);
  if (mode == CameraMode::LightCheck) {
    controls_.club->setCurrentIndex(CLUB_IRON);
    ChangeClub(CLUB_IRON);
  }
  ShowModeControls(index);
}

void CTestKestrixDlg::ShowModeControls(int index) {
  CameraControls& c = controls_.cameras[index];
  for (QWidget* control : std::initializer_list<QWidget*>{
           c.left, c.right, c.top, c.bottom, c.reset, c.save, c.checkLight, c.viewFront,
           c.viewPopup, c.apply, c.brightnessLabel, c.brightness, c.brightnessSpin}) {
    control->hide();
  }
  c.viewFront->setChecked(false);
  CMainCamera& camera = Camera(index);
  if (camera.m_viewFront) {
    camera.m_viewFront = 0;
    camera.m_windowMoved = true;
  }
  if (c.ballDirection->isChecked()) {
    for (QWidget* control : {c.left, c.right, c.top, c.bottom, c.reset, c.save}) control->show();
  }
  if (c.lightCheck->isChecked()) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{c.checkLight, c.viewFront, c.viewPopup, c.apply,
                                         c.brightnessLabel, c.brightness, c.brightnessSpin}) {
      control->show();
    }
  }
  if (c.clubArea->isChecked()) {
    c.reset->show();
    c.apply->show();
  }
}

void CTestKestrixDlg::ChangeClub(int32_t clubType) {
  core_.SwitchClubType(clubType);
}

std::optional<QPoint> CTestKestrixDlg::CameraPixel(int index, QPoint client) const {
  const ViewSnapshot* view = ViewOf(index);
  const int w = view != nullptr ? view->width : console::kViewSize;
  const int h = view != nullptr ? view->height : console::kViewSize;
  const QPoint o = viewOrigins_[index];
  if (client.x() < o.x() || client.x() > o.x() + w || client.y() < o.y() ||
      client.y() > o.y() + h) {
    return std::nullopt;
  }
  return client - o;
}

void CTestKestrixDlg::mousePressEvent(QMouseEvent* event) {
  for (CameraEditing& e : editing_) e.dragSize = {};
  for (int index = 0; index < 2; ++index) {
    const std::optional<QPoint> pixel = CameraPixel(index, event->position().toPoint());
    if (!pixel) continue;
    CMainCamera& camera = Camera(index);
    CameraEditing& e = editing_[index];
    if (e.pointEditing) {
      OperatorEdits edits = CurrentEdits(camera);
      const ViewSnapshot* view = ViewOf(index);
      ViewSnapshot none;
      console::ClickPoint(edits, pixel->x(), pixel->y(),
                          controls_.cameras[index].ballDirection->isChecked(),
                          view != nullptr ? *view : none, camera.m_whiteNum.m_ballLevel);
      RequestEdits(camera, edits);
    }
    if (controls_.cameras[index].clubArea->isChecked()) {
      e.dragging = true;
      e.dragStart = *pixel;
      OperatorEdits edits = CurrentEdits(camera);
      CRectT& area = edits.ClubArea(camera.m_clubType);
      area.m_x = pixel->x();
      area.m_y = pixel->y();
      RequestEdits(camera, edits);
    }
  }
}

void CTestKestrixDlg::ResizeDraggedArea(int index) {
  const CameraEditing& e = editing_[index];
  if (e.dragSize.width() <= 0 || e.dragSize.height() <= 0) return;
  CMainCamera& camera = Camera(index);
  OperatorEdits edits = CurrentEdits(camera);
  CRectT& area = edits.ClubArea(controls_.club->currentIndex());
  area.m_width = e.dragSize.width();
  area.m_height = e.dragSize.height();
  RequestEdits(camera, edits);
}

void CTestKestrixDlg::mouseMoveEvent(QMouseEvent* event) {
  for (int index = 0; index < 2; ++index) {
    CameraEditing& e = editing_[index];
    if (!e.dragging) continue;
    const std::optional<QPoint> pixel = CameraPixel(index, event->position().toPoint());
    if (pixel && pixel->x() > e.dragStart.x() && pixel->y() > e.dragStart.y()) {
      e.dragSize = QSize(pixel->x() - e.dragStart.x(), pixel->y() - e.dragStart.y());
    }
    ResizeDraggedArea(index);
  }
}

void CTestKestrixDlg::mouseReleaseEvent(QMouseEvent*) {
  for (int index = 0; index < 2; ++index) {
    if (editing_[index].dragging) ResizeDraggedArea(index);
  }
  for (CameraEditing& e : editing_) e.dragging = false;
}

void CTestKestrixDlg::MoveCaptureWindow(int index, IntPoint step) {
  CMainCamera& camera = Camera(index);
  OperatorEdits edits = CurrentEdits(camera);
  edits.cameraPosition.x += step.x;
  edits.cameraPosition.y += step.y;
  edits.moveWindow = true;
  RequestEdits(camera, edits);
  camera.WriteSettings();
}

void CTestKestrixDlg::Reset(int index) {
  CMainCamera& camera = Camera(index);
  OperatorEdits edits = CurrentEdits(camera);
  if (controls_.cameras[index].clubArea->isChecked()) {
    // Only in the camera until the next save.
    edits.ClubArea(controls_.club->currentIndex()) = CRectT{};
    RequestEdits(camera, edits);
    return;
  }
  edits.cameraPosition = {};
  edits.moveWindow = true;
  RequestEdits(camera, edits);
  camera.WriteSettings();
}

void CTestKestrixDlg::SaveBallDirection(int index) {
  CMainCamera& camera = Camera(index);
  const OperatorEdits edits = CurrentEdits(camera);
  const CRectT& top = edits.zigPoints[3];
  const CRectT& bottom = edits.matPoints[1];
  const auto dx = static_cast<float>(bottom.m_x - top.m_x);
  const auto dy = static_cast<float>(bottom.m_y - top.m_y);
  // With both markers on one row the line has no direction and no length: keep what was saved.
  if (dy == 0.0f) {
    controls_.cameras[index].message->setText(kNoBallDirection);
    return;
  }
  const float quotient = dx / dy;
  const float angle = std::atan(quotient);
  camera.zeroAngle = dx == 0.0f ? 0.0f : static_cast<float>(-angle * 180.0 / 3.1415926535);
  camera.SetMeter(static_cast<int32_t>(42.0f * 189.0f / dy));
  camera.WriteSettings();
  // The tee reference follows the capture window while it is moved; the view shows where.
  const ViewSnapshot* view = ViewOf(index);
  const CRectT tee = view != nullptr ? view->teeReference : camera.TeeReferenceRect();
  camera.leftImageWidthFromTeePosition = static_cast<float>(tee.m_x - edits.zigPoints[0].m_x);
  camera.rightImageWidthFromTeePosition = static_cast<float>(edits.matPoints[0].m_x - tee.m_x);
  camera.WriteSettings();
}
