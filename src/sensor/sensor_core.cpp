#include "sensor/sensor_core.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <thread>

#include "VarnokV2.h"
#include "camera/camera_modes.h"
#include "clientlink/client_link.h"
#include "platform/debug_output.h"

namespace {

constexpr const char* kPutterFlagFile = "putter.txt";
constexpr auto kClubSelectionPause = std::chrono::milliseconds(100);

// The result callbacks are plain function pointers, so they reach the core through this.
SensorCore* g_core = nullptr;

// Club codes of the client: 0 driver, 1 to 11 irons, 12 putter; others keep the club type.
constexpr uint64_t kPutterClubCode = 12;

// The client waiting on its send is answered once the control thread has run the code, or after
// this long (a club selection takes about 200 ms), so a busy control thread never hangs it.
constexpr int64_t kClientAnswerBoundMs = 2000;

}  // namespace

SensorCore::SensorCore(std::string workingDirectory)
    : workingDirectory_(std::move(workingDirectory)) {
  g_core = this;
}

SensorCore::~SensorCore() {
  if (started_ && !shutDown_) Shutdown();
  if (g_core == this) g_core = nullptr;
}

void SensorCore::SetRecordObserver(RecordObserver observer, void* context) {
  observer_ = observer;
  observerContext_ = context;
}

std::string SensorCore::PutterFlagPath() const {
  return (std::filesystem::path(workingDirectory_) / kPutterFlagFile).string();
}

bool SensorCore::OpenBoth() {
  // The main camera first: its open creates the shared block the client waits for.
  mainOpen_ = main_.Open(workingDirectory_.c_str(), SENSOR_MAIN);
  if (!mainOpen_) platform::OutputDebugStringA("Check camera(1) line/usb(-1)\n");
  sideOpen_ = side_.Open(workingDirectory_.c_str(), SENSOR_SIDE);
  if (!sideOpen_) platform::OutputDebugStringA("Check camera(2) line/usb(-1)\n");
  return mainOpen_ && sideOpen_;
}

void SensorCore::WireCameras() {
  // The side camera shares the installation's choices with the main camera.
  ShareInstallationChoices(main_, side_);
  main_.m_peer = &side_;
  side_.m_peer = &main_;
  side_.WriteSettings();
}

bool SensorCore::Start() {
  started_ = true;
  // The handlers are in place before the capture threads start, so a ball classified in the
  // first frames is still told to the console.
  main_.m_resultCallbacks[0] = &SensorCore::OnMainRecord;
  side_.m_resultCallbacks[1] = &SensorCore::OnSideRecord;
  const bool bothOpen = OpenBoth();
  WireCameras();

  // The last club the client chose was the putter: start putting at once.
  std::error_code noFlag;
  if (std::filesystem::exists(PutterFlagPath(), noFlag)) {
    for (CMainCamera* camera :
         {static_cast<CMainCamera*>(&main_), static_cast<CMainCamera*>(&side_)}) {
      camera->m_clubType = CLUB_PUTTER;
      camera->StartClassification(0);
    }
  }

  if (!StartListening()) {
    platform::DebugPrintf(
        "-> client link: \"%s\" is held by another live sensor; the client's codes 7100, 7106 "
        "and 7112 go unheard until it is free (retried every 3 s) <-\n",
        clientlink::kSensorWindow);
  }
  return bothOpen;
}

bool SensorCore::StartListening() {
  const bool listening = listener_.Start(&SensorCore::OnClientCode, this);
  listening_.store(listening);
  return listening;
}

bool SensorCore::RetryClientLink() {
  if (listening_.load() || shutDown_) return listening_.load();
  if (!StartListening()) {
    platform::DebugPrintf(
        "-> client link: \"%s\" is still held by another sensor; the client's codes stay "
        "unheard <-\n",
        clientlink::kSensorWindow);
    return false;
  }
  platform::DebugPrintf("-> client link: \"%s\" is ours; the client's codes are heard again <-\n",
                        clientlink::kSensorWindow);
  return true;
}

SensorCore::Reconnect SensorCore::ReconnectTick() {
  if (VarnokGetNumOfConnectedCameras() < 2) return Reconnect::kTooFewConnected;
  main_.Stop();
  side_.Stop();
  return OpenBoth() ? Reconnect::kBothOpen : Reconnect::kStillMissing;
}

bool SensorCore::BothCapturing() const {
  return main_.m_capture.m_capture != 0 && side_.m_capture.m_capture != 0;
}

void SensorCore::HandleClientCode(uint32_t code, int64_t lParam) {
  switch (code) {
    case clientlink::CODE_CLUB_SELECTION:
      SelectClub(lParam);
      break;
    case clientlink::CODE_STATUS_QUERY:
      AnswerStatusQuery();
      break;
    case clientlink::CODE_CLOSE:
      RequestClose();
      break;
    default:
      platform::DebugPrintf("-> client code %u ignored <-\n", code);
      break;
  }
}

void SensorCore::RunControlCommands() {
  ControlQueue::Command command;
  while (control_.Take(&command)) {
    HandleClientCode(command.code, command.lParam);
    control_.MarkRun(command.ticket);
  }
}

bool SensorCore::ServeControl(int64_t timeoutMs) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    RunControlCommands();
    if (control_.CloseRequested()) return true;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    control_.WaitForWork(left.count());
  }
}

void SensorCore::SetControlWake(ControlQueue::WakeHook hook, void* context) {
  control_.SetWakeHook(hook, context);
}

// The code travels as a 64-bit window parameter, taken unsigned: a value that only its low 32
// bits would make a known club is no club at all.
void SensorCore::SelectClub(int64_t lParam) {
  std::error_code ignored;
  std::filesystem::remove(PutterFlagPath(), ignored);
  CMainCamera* cameras[] = {&main_, &side_};
  for (CMainCamera* camera : cameras) RequestCameraMode(*camera, CameraMode::Game);

  const auto clubCode = static_cast<uint64_t>(lParam);
  // Handed back in every shot record as the client sent it; one that does not fit is -1.
  const bool fits = lParam >= std::numeric_limits<int32_t>::min() &&
                    lParam <= std::numeric_limits<int32_t>::max();
  const int32_t recordedCode = fits ? static_cast<int32_t>(lParam) : -1;
  int32_t clubType = -1;
  if (clubCode == 0) {
    clubType = CLUB_DRIVER;
  } else if (clubCode <= 11) {
    clubType = CLUB_IRON;
  } else if (clubCode == kPutterClubCode) {
    clubType = CLUB_PUTTER;
    // Remembered so that the next start begins with the putter.
    std::ofstream(PutterFlagPath(), std::ios::binary);
  }
  for (CMainCamera* camera : cameras) camera->m_clubCode = recordedCode;
  SwitchClubType(clubType);
}

void SensorCore::SwitchClubType(int32_t clubType) {
  CMainCamera* cameras[] = {&main_, &side_};
  for (CMainCamera* camera : cameras) {
    if (clubType >= 0) camera->m_clubType = clubType;
  }
  std::this_thread::sleep_for(kClubSelectionPause);
  const int32_t classify = main_.m_clubType == CLUB_PUTTER ? 0 : 1;
  for (CMainCamera* camera : cameras) camera->StartClassification(classify);
  std::this_thread::sleep_for(kClubSelectionPause);
  for (CMainCamera* camera : cameras) {
    camera->m_watch.m_ballState = BALL_EMPTY;
    camera->m_watch.m_foundCount = 0;
    camera->m_watch.m_lostCount = 0;
  }
}

void SensorCore::AnswerStatusQuery() {
  const bool mainCapturing = main_.m_capture.m_capture != 0;
  const bool sideCapturing = side_.m_capture.m_capture != 0;
  if (!mainCapturing) clientlink::PostToClient(clientlink::CODE_MAIN_NOT_CAPTURING, 0);
  if (!sideCapturing) clientlink::PostToClient(clientlink::CODE_SIDE_NOT_CAPTURING, 0);
  if (mainCapturing && sideCapturing) clientlink::PostToClient(clientlink::CODE_BOTH_CAPTURING, 0);
}

void SensorCore::RequestClose() {
  control_.RequestClose();
}

bool SensorCore::WaitForCloseRequest(int64_t timeoutMs) {
  return control_.WaitForCloseRequest(timeoutMs);
}

void SensorCore::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Releases a client still waiting on its send before the listener is stopped.
  control_.Close();
  listener_.Stop();
  listening_.store(false);
  main_.Stop();
  side_.Stop();
  std::error_code ignored;
  std::filesystem::remove(PutterFlagPath(), ignored);
}

void SensorCore::Notify(int32_t sensorType, const ShotResultRecord& record) {
  if (observer_ != nullptr) observer_(sensorType, record, observerContext_);
}

void SensorCore::OnMainRecord(ShotResultRecord* record) {
  if (g_core != nullptr && record != nullptr) g_core->Notify(SENSOR_MAIN, *record);
}

void SensorCore::OnSideRecord(ShotResultRecord* record) {
  if (record == nullptr) return;
  platform::DebugPrintf("속도-(사이드 카메라) : %f\n", static_cast<double>(record->m_speed));
  platform::DebugPrintf("좌우각-(사이드 카메라) : %f\n", static_cast<double>(record->m_HAngle));
  platform::DebugPrintf("상하각-(사이드 카메라) : %f\n", static_cast<double>(record->m_VAngle));
  platform::DebugPrintf("사이드 스핀-(사이드 카메라) : %f\n",
                        static_cast<double>(record->m_sideSpin));
  platform::DebugPrintf("백 스핀-(사이드 카메라) : %f\n", static_cast<double>(record->m_backSpin));
  if (g_core != nullptr) g_core->Notify(SENSOR_SIDE, *record);
}

// On the listener's thread: only hands the code to the control thread.
void SensorCore::OnClientCode(uint32_t code, int64_t lParam, void* context) {
  auto* core = static_cast<SensorCore*>(context);
  const uint64_t ticket = core->control_.Post(code, lParam);
  if (ticket != 0) core->control_.WaitUntilRun(ticket, kClientAnswerBoundMs);
}
