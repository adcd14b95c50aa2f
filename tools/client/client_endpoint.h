// The golf client's end of the link: owns the client endpoint, maps the shared block as soon as
// the sensor has made it, and hands on each message with its payload already copied out (the
// sensor may overwrite the block with its next message). Shared by every golf client we ship.
#pragma once

#include <cstdint>

#include "client_transcript.h"
#include "platform/message_endpoint.h"

namespace clienttool {

class ClientEndpoint {
 public:
  // Returns the result the sensor receives.
  using Receiver = int64_t (*)(const ReceivedMessage& message, void* context);

  // Claims "VarnokGolf_Client"; false with a line on standard error, ending in the hint, when
  // another client holds it.
  bool Open(const char* program, const char* hint = "");
  // Waits up to waitMs for one message from the sensor and hands it on; as
  // platform::MessageEndpoint::ServeOnce. A message of another kind is dropped with a line.
  int ServeOnce(int waitMs, Receiver receiver, void* context);
  // Maps the block if the sensor has made it meanwhile.
  void TryOpenBlock();

 private:
  static int64_t Handle(const platform::Message& message, void* context);

  platform::MessageEndpoint endpoint_;
  const uint8_t* block_ = nullptr;
  const char* program_ = "";
  Receiver receiver_ = nullptr;
  void* receiverContext_ = nullptr;
  ReceivedMessage received_;
};

// Sends a code to the sensor's window, waiting for a sensor that is still starting until the
// deadline (monotonic seconds) or a stop request; false with a line on standard error when it
// never answered.
bool SendCodeToSensor(const char* program, uint32_t code, int64_t lParam, double deadline);

}  // namespace clienttool
