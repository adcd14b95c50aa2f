#include "camera/main_camera.h"

CMainCamera::CMainCamera() = default;
CMainCamera::~CMainCamera() = default;
