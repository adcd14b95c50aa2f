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

  // Waits up to timeoutMs (-1: no limit) for a message and serves it. 1 when a message was
  // handled, 0 when none (timeout, a connection dropped), -1 once Wake was called. A connection
  // closed without a byte is a program looking for the endpoint and passes without a debug line.
  // Connections wait side by side, so one that sends nothing never delays the others.
  int ServeOnce(int timeoutMs, Handler handler, void* context);

  // Makes the current and every later ServeOnce return -1 until the next Open; callable from
  // any thread.
  void Wake();

  // Connections accepted whose message has not arrived yet; more wait in the socket's queue.
  static constexpr int kMaxPending = 32;

 private:
  struct Pending {
    int fd = -1;
    int64_t acceptedMicros = 0;
  };

  void AcceptWaiting(int64_t nowMicros);
  // Drops connections that sent nothing in time; returns the milliseconds until the next one
  // is due (-1: none waits).
  int DropSilent(int64_t nowMicros, bool* dropped);
  // Takes the connection out of the waiting ones; the caller owns its descriptor.
  int TakePending(int index);
  void Forget(int index);
  // Reads the connection's packet (it is there, or the sender has gone) and answers it.
  int ServeConnection(int fd, short events, Handler handler, void* context);

  Pending pending_[kMaxPending];
  int pendingCount_ = 0;
  int listenFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  char path_[108] = {};
};

}  // namespace platform
