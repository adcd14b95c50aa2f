// Bringing a camera to life: find it by its model name, configure the component, allocate the
// frame buffers once and start the capture thread; and the stop and re-open that pair with it.
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "VarnokV2.h"
#include "camera/main_camera.h"
#include "camera/window_origin.h"
#include "clientlink/client_link.h"
#include "platform/debug_output.h"
#include "platform/sleep.h"
#include "platform/thread_control.h"

struct CMainCamera::OpenVariant {
  const char* modelName;
  const char* settingsFile;
  const char* referenceImage;
  bool mainCamera;  // creates the shared block, runs on the last processor
};

namespace {

const CMainCamera::OpenVariant kMainVariant{"ZWO ASI136MC-A", "setting_top.ini", "./setting.bmp",
                                            true};
const CMainCamera::OpenVariant kSideVariant{"ZWO ASI136MC-B", "setting_top_side.ini",
                                            "./setting_side.bmp", false};

constexpr int32_t kStopPollMs = 100;

void LogProperty(const VarnokCameraProperty& property, int32_t index, int32_t count, bool main) {
  if (main) {
    platform::DebugPrintf("-> CameraProperty : %s , cameraIndex : %d, numDevices : %d <-\n",
                          property.name, index, count);
  } else {
    platform::DebugPrintf("-> CameraProperty : %s , cameraIndex : %d <-\n", property.name, index);
  }
}

// The processor of the capture thread: the last one for the main camera, the one before for the
// side camera. The bit number wraps at 32 like an affinity mask, so a one-processor machine asks
// for bit 31 and is refused.
int32_t CaptureProcessor(bool main) {
  const int32_t bit = platform::ProcessorCount() - (main ? 1 : 2);
  return ((bit % 32) + 32) % 32;
}

}  // namespace

bool CMainCamera::Open(const char* workingDirectory, int32_t sensorType) {
  return OpenAs(kMainVariant, workingDirectory, sensorType);
}

bool CSideCamera::Open(const char* workingDirectory, int32_t sensorType) {
  return OpenAs(kSideVariant, workingDirectory, sensorType);
}

void CMainCamera::TakeTables(int32_t sensorType) {
  SensorType = sensorType;
  m_whiteNum.Init(sensorType);
  exposure = m_whiteNum.m_defaultExposure;
  gamma = m_whiteNum.m_defaultGamma;
}

bool CMainCamera::OpenAs(const OpenVariant& variant, const char* workingDirectory,
                         int32_t sensorType) {
  // A capture thread left from an earlier open would otherwise read the camera beside the new
  // one; let it close its camera and end first.
  EndCaptureThread();

  TakeTables(sensorType);

  // Buffers are allocated once; only a frame size the object never had before replaces them,
  // since a read into smaller buffers would run past their end.
  if (!m_buffers.Allocated() || m_buffers.imageSize != m_whiteNum.m_imageSize) {
    m_buffers.Allocate(m_whiteNum.m_width, m_whiteNum.m_height);
    m_view.Allocate(m_whiteNum.m_width, m_whiteNum.m_height);
    LoadReferenceImage(variant.referenceImage);
  }

  SetSettingsLocation(workingDirectory != nullptr ? workingDirectory : ".", variant.settingsFile);
  // Every main-camera open tries to create the shared block until one has succeeded.
  if (variant.mainCamera) clientlink::EnsureSharedBlock();

  ReadSettings();
  LayOutLightCheckPoints(true);

  bool opened = false;
  const int32_t count = VarnokGetNumOfConnectedCameras();
  if (count >= 1) {
    // Both records are always asked for, even with one camera connected.
    VarnokCameraProperty property[2];
    for (int32_t index = 0; index < 2; ++index) {
      std::memset(&property[index], 0, sizeof property[index]);
      VarnokGetCameraProperty(&property[index], index);
      property[index].name[sizeof property[index].name - 1] = '\0';
      LogProperty(property[index], index, count, variant.mainCamera);
    }
    int32_t index = -1;
    if (std::strcmp(property[0].name, variant.modelName) == 0) {
      index = 0;
    } else if (std::strcmp(property[1].name, variant.modelName) == 0) {
      index = 1;
    }
    m_capture.m_cameraIndex = index;
    opened = index != -1 && VarnokOpenCamera(index) == 0;
  }

  if (!opened) {
    EndCaptureThread();
    WriteSettings();
    return false;
  }

  StartStreaming();

  m_capture.m_run = 1;
  m_capture.m_thread = std::thread(&CMainCamera::CaptureThreadBody, this);
  platform::SetTimeCriticalPriority(m_capture.m_thread);
  if (!platform::SetSingleProcessorAffinity(m_capture.m_thread,
                                            CaptureProcessor(variant.mainCamera))) {
    platform::OutputDebugStringA(variant.mainCamera ? "-> SetThreadAffinityMask Main - error <-\n"
                                                    : "-> SetThreadAffinityMask Side - error <-\n");
  }
  return true;
}

bool CMainCamera::StartStreaming() {
  const int32_t id = m_capture.m_cameraIndex;
  VarnokSetROIFormat(id, m_whiteNum.m_width, m_whiteNum.m_height, VARNOK_BIN_1, VARNOK_IMG_Y8);
  VarnokSetControlValue(id, VARNOK_CONTROL_BANDWIDTH, 100, 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_WB_RED, 50, 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_WB_BLUE, 50, 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_OFFSET, 10, 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_HIGH_SPEED, 1, 0);
  VarnokSetControlValue(id, VARNOK_CONTROL_OFFSET, 70, 0);

  m_windowMoved = false;
  const IntPoint home = HomeOrigin(*this);
  VarnokSetStartPos(id, home.x, home.y);

  vflip = 0;
  hflip = 0;
  VarnokSetControlValue(id, VARNOK_CONTROL_EXPOSURE, exposure, 0);
  ApplyGain(gain);
  VarnokSetControlValue(id, VARNOK_CONTROL_GAMMA, gamma, 0);
  SetVerticalFlip(vflip);
  SetHorizontalFlip(hflip);

  m_capture.m_capture = 1;
  VarnokStartVideoCapture(id);
  return true;
}

void CMainCamera::Stop() {
  EndCaptureThread();
  WriteSettings();
}

void CMainCamera::EndCaptureThread() {
  m_capture.m_run = 0;
  if (m_capture.m_thread.joinable()) {
    // The capture thread closes the camera and clears the flag; it never waits on this thread.
    while (m_capture.m_capture) platform::SleepMs(kStopPollMs);
    m_capture.m_thread.join();
  }
  // A camera streaming without a thread (re-opened after its thread ended) has nobody else to
  // close it, and waiting for the flag would never end.
  if (m_capture.m_capture) {
    VarnokCloseCamera(m_capture.m_cameraIndex);
    m_capture.m_capture = 0;
  }
}

bool CMainCamera::ReOpen() {
  const int32_t id = m_capture.m_cameraIndex;
  if (id == -1 || VarnokOpenCamera(id) != 0) return false;
  StartStreaming();
  m_capture.m_pause = 0;
  m_capture.m_statusCode = kCaptureStatusOk;
  m_capture.m_run = 1;
  return true;
}
