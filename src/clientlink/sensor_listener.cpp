#include "clientlink/sensor_listener.h"

#include "clientlink/client_link.h"
#include "platform/debug_output.h"

namespace clientlink {

bool IsClientCode(uint32_t message, uint32_t code) {
  return message == kMessage &&
         (code == CODE_CLUB_SELECTION || code == CODE_STATUS_QUERY || code == CODE_CLOSE);
}

bool SensorListener::Start(Handler handler, void* context) {
  // Already serving: a second start (a camera reconnect) must not drop the endpoint meanwhile.
  if (thread_.joinable() && !stopping_.load()) return true;
  Stop();
  stopping_.store(false);
  handler_ = handler;
  context_ = context;
  if (!endpoint_.Open(kSensorWindow)) return false;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void SensorListener::Stop() {
  if (!thread_.joinable()) return;
  stopping_.store(true);
  endpoint_.Wake();
  // From inside the handler (a close request) the thread cannot wait for itself: it ends once
  // the handler returns, and a later Stop from another thread finishes the job.
  if (thread_.get_id() == std::this_thread::get_id()) return;
  thread_.join();
  endpoint_.Close();
}

int64_t SensorListener::Dispatch(const platform::Message& message, void* self) {
  auto* listener = static_cast<SensorListener*>(self);
  if (!IsClientCode(message.message, message.wParam)) {
    platform::DebugPrintf("-> client message %u / %u dropped <-\n",
                          static_cast<unsigned>(message.message),
                          static_cast<unsigned>(message.wParam));
    return 0;
  }
  if (listener->handler_ != nullptr) {
    listener->handler_(message.wParam, message.lParam, listener->context_);
  }
  return 1;
}

void SensorListener::Run() {
  while (endpoint_.ServeOnce(-1, &SensorListener::Dispatch, this) >= 0) {
  }
}

}  // namespace clientlink
