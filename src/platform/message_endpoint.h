// The receiving side of window messages: a program listens on the endpoint named after its window
// title and handles one 16-byte message per connection, answering with an 8-byte result.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct Message {
  uint32_t message = 0;
  uint32_t wParam = 0;
  int64_t lParam = 0;
};

inline constexpr size_t kMessageBytes = 16;
inline constexpr size_t kResultBytes = 8;

// Little-endian wire form.
void EncodeMessage(const Message& message, uint8_t out[kMessageBytes]);
Message DecodeMessage(const uint8_t in[kMessageBytes]);

class MessageEndpoint {
 public:
  // Returns the result the sender receives.
  using Handler = int64_t (*)(const Message& message, void* context);

  MessageEndpoint();
  ~MessageEndpoint();
  MessageEndpoint(const MessageEndpoint&) = delete;
  MessageEndpoint& operator=(const MessageEndpoint&) = delete;

  // Claims the endpoint; false with a debug line when another live program holds it.
  bool Open(const char* window);
  void Close();
  bool IsOpen() const { return listenFd_ >= 0; }

  // Waits up to timeoutMs (-1: no limit) for a connection and serves it. 1 when a message was
  // handled, 0 when none (timeout, dropped packet), -1 once Wake was called. A connection closed
  // without a byte is a program looking for the endpoint and passes without a debug line.
  int ServeOnce(int timeoutMs, Handler handler, void* context);

  // Makes the current and every later ServeOnce return -1 until the next Open; callable from
  // any thread.
  void Wake();

 private:
  int ServeConnection(int fd, Handler handler, void* context);

  int listenFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  char path_[108] = {};
};

}  // namespace platform
