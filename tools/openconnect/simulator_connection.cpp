#include "simulator_connection.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace openconnect {

namespace {

constexpr size_t kReadChunk = 4096;
// Reads per Poll: a simulator that floods us must not keep the sensor waiting.
constexpr int kMostReadsPerPoll = 16;

int OpenSocket(const std::string& host, int port, std::string* why) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int status = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (status != 0) {
    *why = std::string("cannot look up the host: ") + gai_strerror(status);
    return -1;
  }
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    // A shot message is small and late is wrong: no waiting to fill a segment.
    const int on = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    // Some hundred messages in flight are plenty; a larger buffer only hides a simulator that
    // has stopped reading.
    const int bytes = static_cast<int>(SimulatorConnection::kSendBufferBytes);
    setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &bytes, sizeof bytes);
    if (connect(fd, a->ai_addr, a->ai_addrlen) == 0 || errno == EINPROGRESS) break;
    *why = std::strerror(errno);
    close(fd);
    fd = -1;
  }
  freeaddrinfo(found);
  return fd;
}

}  // namespace

SimulatorConnection::SimulatorConnection(std::string host, int port)
    : host_(std::move(host)), port_(port), address_(host_ + ":" + std::to_string(port)) {}

SimulatorConnection::~SimulatorConnection() {
  if (fd_ >= 0) close(fd_);
}

void SimulatorConnection::Poll(double now, Listener& listener) {
  if (!broken_.empty()) {
    const std::string why = broken_;
    broken_.clear();
    Drop(now, why, listener);
    return;
  }
  if (state_ == State::kWaiting) {
    if (now >= retryAt_) StartAttempt(now, listener);
    return;
  }
  if (state_ == State::kConnecting) {
    FinishAttempt(now, listener);
    return;
  }
  std::string why;
  if (!Flush(&why)) {
    Drop(now, why, listener);
    return;
  }
  char chunk[kReadChunk];
  for (int reads = 0; reads < kMostReadsPerPoll; ++reads) {
    const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
    if (n > 0) {
      listener.OnBytes(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) {
      Drop(now, "the simulator closed the connection", listener);
    } else if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
      Drop(now, std::strerror(errno), listener);
    }
    return;
  }
}

void SimulatorConnection::StartAttempt(double now, Listener& listener) {
  std::string why;
  fd_ = OpenSocket(host_, port_, &why);
  if (fd_ < 0) {
    Drop(now, why, listener);
    return;
  }
  state_ = State::kConnecting;
  attemptDeadline_ = now + kConnectTimeoutSeconds;
  FinishAttempt(now, listener);
}

void SimulatorConnection::FinishAttempt(double now, Listener& listener) {
  pollfd ready{fd_, POLLOUT, 0};
  if (poll(&ready, 1, 0) == 0) {
    if (now >= attemptDeadline_) Drop(now, "no answer to the connection attempt", listener);
    return;
  }
  int error = 0;
  socklen_t size = sizeof error;
  if (getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
  if (error != 0) {
    Drop(now, std::strerror(error), listener);
    return;
  }
  state_ = State::kConnected;
  retrySeconds_ = kFirstRetrySeconds;
  outageReported_ = false;
  unsent_.clear();
  std::fprintf(stderr, "kestrix-openconnect: connected to the simulator at %s\n", address_.c_str());
  listener.OnConnected();
}

void SimulatorConnection::Drop(double now, const std::string& why, Listener& listener) {
  const bool wasConnected = state_ == State::kConnected;
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  state_ = State::kWaiting;
  unsent_.clear();
  retryAt_ = now + retrySeconds_;
  // An outage is told once, not at every attempt of it.
  if (wasConnected || !outageReported_) {
    std::fprintf(stderr, "kestrix-openconnect: %s %s (%s); trying again every %.2g s at most\n",
                 wasConnected ? "lost the simulator at" : "cannot reach the simulator at",
                 address_.c_str(), why.c_str(), kLongestRetrySeconds);
    outageReported_ = true;
  }
  retrySeconds_ =
      retrySeconds_ * 2.0 > kLongestRetrySeconds ? kLongestRetrySeconds : retrySeconds_ * 2.0;
  if (wasConnected) listener.OnLost(why);
}

bool SimulatorConnection::Flush(std::string* why) {
  while (!unsent_.empty()) {
    const ssize_t n = send(fd_, unsent_.data(), unsent_.size(), MSG_NOSIGNAL);
    if (n > 0) {
      unsent_.erase(0, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (n < 0 && errno == EINTR) continue;
    *why = n < 0 ? std::strerror(errno) : "nothing written";
    return false;
  }
  if (unsent_.size() > kMostUnsent) {
    *why = "the simulator has not read what was sent";
    return false;
  }
  return true;
}

bool SimulatorConnection::Send(const std::string& text) {
  if (state_ != State::kConnected || !broken_.empty()) return false;
  unsent_ += text;
  std::string why;
  if (!Flush(&why)) {
    broken_ = why;
    return false;
  }
  return true;
}

}  // namespace openconnect
