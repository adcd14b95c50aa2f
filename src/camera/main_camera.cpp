#include "camera/main_camera.h"

#include "camera/operator_edits.h"

CMainCamera::CMainCamera() : m_editRequest(std::make_unique<EditRequest>()) {}
// The capture thread works on this object; it must be gone before the members are.
CMainCamera::~CMainCamera() {
  EndCaptureThread();
}
