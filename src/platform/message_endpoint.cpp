#include "platform/message_endpoint.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/endpoint_directory.h"

static_assert(std::endian::native == std::endian::little, "the wire form is the memory form");

namespace platform {

namespace {

// A sender writes its message right after connecting; one that has not within this time is stuck
// or hostile and must not hold up the next sender.
constexpr int kPacketWaitMs = 200;

bool FillAddress(const char* path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (std::strlen(path) >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path, std::strlen(path) + 1);
  return true;
}

bool SomeoneListens(const sockaddr_un& address) {
  const int probe = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  const bool live =
      ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ||
      errno == EAGAIN;
  ::close(probe);
  return live;
}

}  // namespace

void EncodeMessage(const Message& message, uint8_t out[kMessageBytes]) {
  std::memcpy(out, &message.message, 4);
  std::memcpy(out + 4, &message.wParam, 4);
  std::memcpy(out + 8, &message.lParam, 8);
}

Message DecodeMessage(const uint8_t in[kMessageBytes]) {
  Message message;
  std::memcpy(&message.message, in, 4);
  std::memcpy(&message.wParam, in + 4, 4);
  std::memcpy(&message.lParam, in + 8, 8);
  return message;
}

MessageEndpoint::MessageEndpoint() {
  int fds[2];
  if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
  }
}

MessageEndpoint::~MessageEndpoint() {
  Close();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

bool MessageEndpoint::Open(const char* window) {
  Close();
  char path[sizeof path_];
  sockaddr_un address;
  if (!EndpointPath(window, path, sizeof path) || !FillAddress(path, &address)) {
    DebugPrintf("-> endpoint path for %s is too long <-\n", window);
    return false;
  }
  if (wakeRead_ < 0 || !PrepareEndpointDirectory()) return false;
  char stale[16];
  while (::read(wakeRead_, stale, sizeof stale) > 0) {
  }
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    DebugPrintf("-> endpoint %s: socket failed: %s <-\n", window, std::strerror(errno));
    return false;
  }
  int bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (bound != 0 && errno == EADDRINUSE) {
    // A socket file left by a program that died is taken over; a live one is not.
    if (SomeoneListens(address)) {
      DebugPrintf("-> endpoint %s is already in use <-\n", window);
      ::close(fd);
      return false;
    }
    ::unlink(path);
    bound = ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  }
  if (bound != 0 || ::chmod(path, 0600) != 0 || ::listen(fd, SOMAXCONN) != 0) {
    DebugPrintf("-> endpoint %s cannot listen: %s <-\n", window, std::strerror(errno));
    ::close(fd);
    return false;
  }
  listenFd_ = fd;
  std::memcpy(path_, path, sizeof path_);
  return true;
}

void MessageEndpoint::Close() {
  if (listenFd_ < 0) return;
  ::close(listenFd_);
  listenFd_ = -1;
  ::unlink(path_);
  path_[0] = '\0';
}

void MessageEndpoint::Wake() {
  if (wakeWrite_ < 0) return;
  const char byte = 1;
  [[maybe_unused]] const ssize_t ignored = ::write(wakeWrite_, &byte, 1);
}

int MessageEndpoint::ServeOnce(int timeoutMs, Handler handler, void* context) {
  if (listenFd_ < 0 || wakeRead_ < 0) return -1;
  pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}};
  const int ready = ::poll(fds, 2, timeoutMs);
  if (ready < 0 && errno != EINTR) return -1;
  if (fds[0].revents != 0) return -1;  // the wake byte stays, so later calls end too
  if (ready <= 0 || (fds[1].revents & POLLIN) == 0) return 0;
  const int connection = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (connection < 0) return 0;
  const int handled = ServeConnection(connection, handler, context);
  ::close(connection);
  return handled;
}

int MessageEndpoint::ServeConnection(int fd, Handler handler, void* context) {
  ucred peer{};
  socklen_t peerSize = sizeof peer;
  if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 || peer.uid != ::geteuid()) {
    DebugPrintf("-> message from user %u refused <-\n", static_cast<unsigned>(peer.uid));
    return 0;
  }
  pollfd wait = {fd, POLLIN, 0};
  if (::poll(&wait, 1, kPacketWaitMs) <= 0) {
    DebugPrintf("-> message dropped: the sender sent nothing <-\n");
    return 0;
  }
  // One byte more than a message tells an oversized packet from a whole one.
  uint8_t packet[kMessageBytes + 1];
  iovec part = {packet, sizeof packet};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  const ssize_t got = ::recvmsg(fd, &header, MSG_DONTWAIT);
  // A peer that closed without a byte only looked whether someone listens (another program's
  // Open); every sender writes before it closes. One that is still there sent an empty packet.
  if (got == 0 && (wait.revents & POLLHUP) != 0) return 0;
  if (got != static_cast<ssize_t>(kMessageBytes) || (header.msg_flags & MSG_TRUNC) != 0) {
    if ((header.msg_flags & MSG_TRUNC) != 0 || got > static_cast<ssize_t>(kMessageBytes)) {
      DebugPrintf("-> message dropped: packet longer than %zu bytes <-\n", kMessageBytes);
    } else {
      DebugPrintf("-> message dropped: packet of %zd bytes, not %zu <-\n", got, kMessageBytes);
    }
    return 0;
  }
  const int64_t result = handler != nullptr ? handler(DecodeMessage(packet), context) : 0;
  // A sender that posted has gone already; the answer is only for one that waits.
  ::send(fd, &result, sizeof result, MSG_DONTWAIT | MSG_NOSIGNAL);
  return 1;
}

}  // namespace platform
