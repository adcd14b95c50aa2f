#include "platform/message_delivery.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/endpoint_directory.h"

namespace platform {

namespace {

enum class Link { kConnected, kAbsent, kBusy };

int64_t NowMs() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// Connects without waiting: a receiver whose queue is full is busy, not waited for.
Link Connect(const char* window, int* fdOut) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (!EndpointPath(window, address.sun_path, sizeof address.sun_path)) return Link::kAbsent;
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) return Link::kAbsent;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const bool busy = errno == EAGAIN;
    ::close(fd);
    return busy ? Link::kBusy : Link::kAbsent;
  }
  ucred peer{};
  socklen_t peerSize = sizeof peer;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 || peer.uid != ::geteuid()) {
    DebugPrintf("-> endpoint %s belongs to user %u; nothing sent <-\n", window,
                static_cast<unsigned>(peer.uid));
    ::close(fd);
    return Link::kAbsent;
  }
  *fdOut = fd;
  return Link::kConnected;
}

bool Write(int fd, const Message& message) {
  uint8_t packet[kMessageBytes];
  EncodeMessage(message, packet);
  return ::send(fd, packet, sizeof packet, MSG_DONTWAIT | MSG_NOSIGNAL) ==
         static_cast<ssize_t>(sizeof packet);
}

}  // namespace

bool PostEndpointMessage(const char* window, const Message& message) {
  int fd = -1;
  const Link link = Connect(window, &fd);
  if (link == Link::kBusy) {
    DebugPrintf("-> %s does not read; message %u lost <-\n", window,
                static_cast<unsigned>(message.wParam));
  }
  if (link != Link::kConnected) return false;
  const bool written = Write(fd, message);
  ::close(fd);  // the packet stays queued for the receiver
  if (!written) {
    DebugPrintf("-> %s: message %u lost <-\n", window, static_cast<unsigned>(message.wParam));
  }
  return written;
}

SendOutcome SendEndpointMessage(const char* window, const Message& message, int timeoutMs,
                                int64_t* result) {
  int fd = -1;
  const Link link = Connect(window, &fd);
  if (link == Link::kAbsent) return SendOutcome::kNoReceiver;
  if (link == Link::kBusy || !Write(fd, message)) {
    if (fd >= 0) ::close(fd);
    DebugPrintf("-> %s does not read; message %u not delivered <-\n", window,
                static_cast<unsigned>(message.wParam));
    return SendOutcome::kNoAnswer;
  }
  const int64_t deadline = NowMs() + timeoutMs;
  int64_t answer = 0;
  ssize_t got = -1;
  for (;;) {
    const int64_t left = deadline - NowMs();
    pollfd wait = {fd, POLLIN, 0};
    const int ready = ::poll(&wait, 1, left > 0 ? static_cast<int>(left) : 0);
    if (ready < 0 && errno == EINTR) continue;
    if (ready > 0) got = ::recv(fd, &answer, sizeof answer, MSG_DONTWAIT);
    break;
  }
  ::close(fd);
  if (got != static_cast<ssize_t>(sizeof answer)) {
    DebugPrintf("-> %s did not answer message %u within %d ms <-\n", window,
                static_cast<unsigned>(message.wParam), timeoutMs);
    return SendOutcome::kNoAnswer;
  }
  if (result != nullptr) *result = answer;
  return SendOutcome::kAnswered;
}

}  // namespace platform
