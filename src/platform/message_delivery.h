// The sending side of window messages. Every call looks the receiver up anew, as a window is
// found anew for every message; nothing is queued or retried. Neither call allocates.
#pragma once

#include <cstdint>

#include "platform/message_endpoint.h"

namespace platform {

enum class SendOutcome {
  kAnswered,    // the receiver handled the message; *result holds its answer
  kNoReceiver,  // no program holds the endpoint: the message is gone
  kNoAnswer,    // a receiver exists but did not take or answer it in time
};

// Hands the message over without ever waiting; true when the receiver's queue took it. A
// receiver that does not read loses the message, with a debug line.
bool PostEndpointMessage(const char* window, const Message& message);

// Delivers the message and waits up to timeoutMs for the receiver's answer.
SendOutcome SendEndpointMessage(const char* window, const Message& message, int timeoutMs,
                                int64_t* result);

}  // namespace platform
