#include "client_endpoint.h"

#include <time.h>

#include <cstdio>

#include "clientlink/client_link.h"
#include "platform/message_delivery.h"
#include "platform/monotonic_time.h"
#include "platform/shared_block.h"
#include "stop_signals.h"

namespace clienttool {

namespace {

constexpr int kRetryMs = 100;

}  // namespace

bool ClientEndpoint::Open(const char* program, const char* hint) {
  program_ = program;
  if (!endpoint_.Open(clientlink::kClientWindow)) {
    std::fprintf(stderr, "%s: cannot own the endpoint %s; is another client listening?%s\n",
                 program, clientlink::kClientWindow, hint);
    return false;
  }
  TryOpenBlock();
  return true;
}

void ClientEndpoint::TryOpenBlock() {
  if (block_ == nullptr) {
    block_ = platform::OpenSharedBlock(clientlink::kSharedBlockName, clientlink::kSharedBlockSize);
  }
}

int ClientEndpoint::ServeOnce(int waitMs, Receiver receiver, void* context) {
  TryOpenBlock();
  receiver_ = receiver;
  receiverContext_ = context;
  return endpoint_.ServeOnce(waitMs, Handle, this);
}

int64_t ClientEndpoint::Handle(const platform::Message& message, void* context) {
  auto* self = static_cast<ClientEndpoint*>(context);
  if (message.message != clientlink::kMessage) {
    std::fprintf(stderr, "%s: message %u dropped\n", self->program_,
                 static_cast<unsigned>(message.message));
    return 0;
  }
  if (CarriesPayload(message.wParam)) self->TryOpenBlock();
  CaptureMessage(message.wParam, message.lParam, self->block_, &self->received_);
  return self->receiver_(self->received_, self->receiverContext_);
}

bool SendCodeToSensor(const char* program, uint32_t code, int64_t lParam, double deadline) {
  platform::Message message;
  message.message = clientlink::kMessage;
  message.wParam = code;
  message.lParam = lParam;
  int64_t answer = 0;
  platform::SendOutcome outcome = platform::SendEndpointMessage(
      clientlink::kSensorWindow, message, clientlink::kSendTimeoutMs, &answer);
  while (outcome == platform::SendOutcome::kNoReceiver && !StopRequested() &&
         platform::MonotonicSeconds() + kRetryMs / 1000.0 < deadline) {
    const timespec pause{0, kRetryMs * 1000000L};
    nanosleep(&pause, nullptr);
    outcome = platform::SendEndpointMessage(clientlink::kSensorWindow, message,
                                            clientlink::kSendTimeoutMs, &answer);
  }
  if (outcome == platform::SendOutcome::kAnswered) return true;
  std::fprintf(
      stderr, "%s: the sensor %s code %u\n", program,
      outcome == platform::SendOutcome::kNoReceiver ? "is not there for" : "did not answer",
      static_cast<unsigned>(code));
  return false;
}

}  // namespace clienttool
