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

#include <algorithm>

#include "platform/debug_output.h"
#include "platform/endpoint_directory.h"
#include "platform/monotonic_time.h"

static_assert(std::endian::native == std::endian::little, "the wire form is the memory form");

namespace platform {

namespace {

// A sender writes its message right after connecting; one that has not within this time is stuck
// or hostile and is dropped (the others are served meanwhile).
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
  while (pendingCount_ > 0) Forget(0);
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

// The waiting ones stay in the order they connected, so messages are served as they were sent.
int MessageEndpoint::TakePending(int index) {
  const int fd = pending_[index].fd;
  std::copy(pending_ + index + 1, pending_ + pendingCount_, pending_ + index);
  pending_[--pendingCount_] = Pending{};
  return fd;
}

void MessageEndpoint::Forget(int index) {
  ::close(TakePending(index));
}

void MessageEndpoint::AcceptWaiting(int64_t nowMicros) {
  // Beyond the limit connections wait in the socket's queue until the silent ones are dropped.
  while (pendingCount_ < kMaxPending) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    ucred peer{};
    socklen_t peerSize = sizeof peer;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &peerSize) != 0 ||
        peer.uid != ::geteuid()) {
      DebugPrintf("-> message from user %u refused <-\n", static_cast<unsigned>(peer.uid));
      ::close(fd);
      continue;
    }
    pending_[pendingCount_++] = {fd, nowMicros};
  }
}

int MessageEndpoint::DropSilent(int64_t nowMicros, bool* dropped) {
  constexpr int64_t kWaitMicros = int64_t{kPacketWaitMs} * 1000;
  int nextDueMs = -1;
  for (int i = 0; i < pendingCount_;) {
    const int64_t waited = nowMicros - pending_[i].acceptedMicros;
    if (waited >= kWaitMicros) {
      DebugPrintf("-> message dropped: the sender sent nothing <-\n");
      Forget(i);
      *dropped = true;
      continue;
    }
    const int dueMs = static_cast<int>((kWaitMicros - waited + 999) / 1000);
    nextDueMs = nextDueMs < 0 ? dueMs : std::min(nextDueMs, dueMs);
    ++i;
  }
  return nextDueMs;
}

int MessageEndpoint::ServeOnce(int timeoutMs, Handler handler, void* context) {
  if (listenFd_ < 0 || wakeRead_ < 0) return -1;
  const int64_t startMicros = MonotonicMicros();
  for (;;) {
    const int64_t nowMicros = MonotonicMicros();
    bool dropped = false;
    const int nextDueMs = DropSilent(nowMicros, &dropped);
    if (dropped) return 0;
    int waitMs = -1;
    if (timeoutMs >= 0) {
      const int64_t leftMs = timeoutMs - (nowMicros - startMicros) / 1000;
      waitMs = static_cast<int>(std::max<int64_t>(leftMs, 0));
    }
    if (nextDueMs >= 0) waitMs = waitMs < 0 ? nextDueMs : std::min(waitMs, nextDueMs);

    pollfd fds[2 + kMaxPending];
    fds[0] = {wakeRead_, POLLIN, 0};
    // A full set of waiting connections takes no more until one leaves.
    fds[1] = {pendingCount_ < kMaxPending ? listenFd_ : -1, POLLIN, 0};
    for (int i = 0; i < pendingCount_; ++i) fds[2 + i] = {pending_[i].fd, POLLIN, 0};
    const int watched = 2 + pendingCount_;
    const int ready = ::poll(fds, static_cast<nfds_t>(watched), waitMs);
    if (ready < 0 && errno != EINTR) return -1;
    if (fds[0].revents != 0) return -1;  // the wake byte stays, so later calls end too

    // A connection that has its packet (or has gone) is served now; the others keep waiting.
    for (int i = 0; ready > 0 && i < pendingCount_; ++i) {
      if (fds[2 + i].revents == 0) continue;
      const int fd = TakePending(i);
      const int handled = ServeConnection(fd, fds[2 + i].revents, handler, context);
      ::close(fd);
      return handled;
    }
    if (ready > 0 && (fds[1].revents & POLLIN) != 0) AcceptWaiting(MonotonicMicros());
    // Connections still waiting stay for the next call.
    if (timeoutMs >= 0 && (MonotonicMicros() - startMicros) / 1000 >= timeoutMs) return 0;
  }
}

int MessageEndpoint::ServeConnection(int fd, short events, Handler handler, void* context) {
  // One byte more than a message tells an oversized packet from a whole one.
  uint8_t packet[kMessageBytes + 1];
  iovec part = {packet, sizeof packet};
  msghdr header{};
  header.msg_iov = &part;
  header.msg_iovlen = 1;
  const ssize_t got = ::recvmsg(fd, &header, MSG_DONTWAIT);
  // A peer that closed without a byte only looked whether someone listens (another program's
  // Open); every sender writes before it closes. One that is still there sent an empty packet.
  if (got == 0 && (events & POLLHUP) != 0) return 0;
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
