// The sensor's own endpoint "VarnokGolfV": reads the client's messages on a thread of its own and
// hands each valid one to the handler. Whatever else arrives is dropped with a debug line, so a
// stuck or garbage-sending client never blocks or crashes the sensor.
#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

#include "platform/message_endpoint.h"

namespace clientlink {

// Codes 7100, 7106 and 7112 with message 8024; anything else is not the client's to send.
bool IsClientCode(uint32_t message, uint32_t code);

class SensorListener {
 public:
  // Called on the listener's thread; the client waiting on a send is answered when it returns.
  using Handler = void (*)(uint32_t code, int64_t lParam, void* context);

  SensorListener() = default;
  ~SensorListener() { Stop(); }
  SensorListener(const SensorListener&) = delete;
  SensorListener& operator=(const SensorListener&) = delete;

  // Claims the endpoint and starts the thread; false (with a debug line) when the endpoint is
  // taken or cannot be made. While it already serves, it keeps its handler and returns true.
  bool Start(Handler handler, void* context);
  // Ends the thread and gives the endpoint up; the handler is not called afterwards. Called from
  // the handler it only asks the thread to end; call it again from another thread (or let the
  // destructor run there) to wait for that.
  void Stop();

 private:
  static int64_t Dispatch(const platform::Message& message, void* self);
  void Run();

  platform::MessageEndpoint endpoint_;
  std::thread thread_;
  std::atomic<bool> stopping_{false};
  Handler handler_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace clientlink
