// The TCP connection to the simulator. Nothing here blocks: the golf client's end of the link
// must answer the sensor at once, whatever the simulator does. An attempt that fails, or a
// connection that drops, is tried again after a back-off that doubles up to a bound.
#pragma once

#include <string>

namespace openconnect {

class SimulatorConnection {
 public:
  // What Poll saw happen.
  struct Listener {
    virtual ~Listener() = default;
    virtual void OnConnected() = 0;
    virtual void OnBytes(const char* data, size_t size) = 0;
    virtual void OnLost(const std::string& why) = 0;
  };

  // The simulator that has not taken this much of what was sent is not reading: the connection
  // is dropped and made anew rather than letting the queue grow.
  static constexpr size_t kMostUnsent = 64 * 1024;
  static constexpr size_t kSendBufferBytes = 64 * 1024;
  static constexpr double kFirstRetrySeconds = 0.25;
  static constexpr double kLongestRetrySeconds = 5.0;
  static constexpr double kConnectTimeoutSeconds = 3.0;

  SimulatorConnection(std::string host, int port);
  ~SimulatorConnection();
  SimulatorConnection(const SimulatorConnection&) = delete;
  SimulatorConnection& operator=(const SimulatorConnection&) = delete;

  // Moves the connection on at monotonic time now: starts an attempt when the back-off has
  // passed, finishes one under way, writes what waits and reads what came.
  void Poll(double now, Listener& listener);
  bool Connected() const { return state_ == State::kConnected; }
  // Queues the text and writes what the socket takes now. False when there is no connection or
  // it broke (the listener hears of it at the next Poll).
  bool Send(const std::string& text);
  // "host:port", for messages.
  const std::string& Address() const { return address_; }

 private:
  enum class State { kWaiting, kConnecting, kConnected };

  void StartAttempt(double now, Listener& listener);
  void FinishAttempt(double now, Listener& listener);
  void Drop(double now, const std::string& why, Listener& listener);
  // Writes what the socket takes; false with the reason when the connection is broken.
  bool Flush(std::string* why);

  std::string host_;
  int port_;
  std::string address_;
  int fd_ = -1;
  State state_ = State::kWaiting;
  double retryAt_ = 0.0;
  double retrySeconds_ = kFirstRetrySeconds;
  double attemptDeadline_ = 0.0;
  std::string unsent_;
  std::string broken_;  // why the last Send found the connection broken
  bool outageReported_ = false;
};

}  // namespace openconnect
