#include "support/scripted_simulator.h"

#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace test_support {

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPieceGap = std::chrono::milliseconds(60);
constexpr int kIdleMs = 20;

}  // namespace

ScriptedSimulator::ScriptedSimulator() : defaultAnswer_{Received200()} {
  int pipeFds[2];
  if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = pipeFds[0];
    wakeWrite_ = pipeFds[1];
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    Listen();
  }
  thread_ = std::thread([this] { Run(); });
}

ScriptedSimulator::~ScriptedSimulator() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  Wake();
  thread_.join();
  CloseAll();
  ::close(wakeRead_);
  ::close(wakeWrite_);
}

void ScriptedSimulator::Listen() {
  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  const int on = 1;
  ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port_));
  if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listenFd_, 4) != 0) {
    ::close(listenFd_);
    listenFd_ = -1;
    return;
  }
  socklen_t size = sizeof address;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &size);
  port_ = ntohs(address.sin_port);
}

void ScriptedSimulator::CloseAll() {
  if (connectionFd_ >= 0) ::close(connectionFd_);
  if (listenFd_ >= 0) ::close(listenFd_);
  connectionFd_ = listenFd_ = -1;
  toWrite_.clear();
}

void ScriptedSimulator::Wake() {
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &byte, 1);
}

void ScriptedSimulator::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    if (goAway_) {
      CloseAll();
      goAway_ = false;
    }
    if (comeBack_) {
      if (listenFd_ < 0) Listen();
      comeBack_ = false;
    }
    WriteDue();
    pollfd fds[3] = {{wakeRead_, POLLIN, 0}, {listenFd_, POLLIN, 0}, {connectionFd_, 0, 0}};
    if (reading_) fds[2].events = POLLIN;
    int timeoutMs = kIdleMs;
    if (!toWrite_.empty()) {
      const auto due = std::chrono::duration_cast<std::chrono::milliseconds>(
                           toWrite_.front().first - Clock::now())
                           .count();
      timeoutMs = due < 0 ? 0 : due < kIdleMs ? static_cast<int>(due) : kIdleMs;
    }
    lock.unlock();
    ::poll(fds, 3, timeoutMs);
    lock.lock();
    if (fds[0].revents != 0) {
      char drain[64];
      while (::read(wakeRead_, drain, sizeof drain) > 0) {
      }
    }
    if (fds[1].revents != 0 && listenFd_ == fds[1].fd) Accept();
    if (fds[2].revents != 0 && connectionFd_ == fds[2].fd) ReadConnection();
  }
}

void ScriptedSimulator::Accept() {
  const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return;
  // One launch monitor at a time: a new connection replaces the old, as simulators do.
  if (connectionFd_ >= 0) ::close(connectionFd_);
  connectionFd_ = fd;
  toWrite_.clear();
  stream_.Reset();
  ++connections_;
  changed_.notify_all();
}

void ScriptedSimulator::ReadConnection() {
  char chunk[4096];
  const ssize_t n = ::recv(connectionFd_, chunk, sizeof chunk, 0);
  if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) {
    ::close(connectionFd_);
    connectionFd_ = -1;
    return;
  }
  if (n < 0) return;
  for (const openconnect::StreamPiece& piece : stream_.Feed(chunk, static_cast<size_t>(n))) {
    auto message = nlohmann::json::parse(piece.text, nullptr, false);
    // Anything else is a fault of the launch monitor, which the test sees as a missing message.
    if (piece.object && !message.is_discarded()) Take(message);
  }
}

void ScriptedSimulator::Take(const nlohmann::json& message) {
  messages_.push_back(message);
  changed_.notify_all();
  const bool shot = message.value("/ShotDataOptions/ContainsBallData"_json_pointer, false);
  if (!shot) return;
  Answer answer = defaultAnswer_;
  if (!script_.empty()) {
    answer = std::move(script_.front());
    script_.pop_front();
  }
  Clock::time_point at = Clock::now();
  for (std::string& piece : answer) {
    toWrite_.emplace_back(at, std::move(piece));
    at += kPieceGap;
  }
}

void ScriptedSimulator::WriteDue() {
  while (!toWrite_.empty() && toWrite_.front().first <= Clock::now()) {
    const std::string bytes = std::move(toWrite_.front().second);
    toWrite_.pop_front();
    if (connectionFd_ >= 0) {
      [[maybe_unused]] const ssize_t n =
          ::send(connectionFd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
  }
}

void ScriptedSimulator::ScriptAnswers(std::vector<Answer> answers) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.assign(answers.begin(), answers.end());
}

void ScriptedSimulator::SetDefaultAnswer(Answer answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  defaultAnswer_ = std::move(answer);
}

void ScriptedSimulator::Write(const std::string& bytes) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    toWrite_.emplace_back(Clock::now(), bytes);
  }
  Wake();
}

void ScriptedSimulator::GoAway() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    goAway_ = true;
  }
  Wake();
}

void ScriptedSimulator::ComeBack() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    comeBack_ = true;
  }
  Wake();
}

void ScriptedSimulator::StopReading() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reading_ = false;
    // A small window, so the launch monitor's side fills up after some hundred messages rather
    // than some megabytes.
    const int bytes = 4096;
    if (listenFd_ >= 0) ::setsockopt(listenFd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes);
  }
  Wake();
}

std::vector<nlohmann::json> ScriptedSimulator::Messages() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return messages_;
}

std::vector<nlohmann::json> ScriptedSimulator::Shots() const {
  std::vector<nlohmann::json> shots;
  for (const nlohmann::json& message : Messages()) {
    if (message.value("/ShotDataOptions/ContainsBallData"_json_pointer, false)) {
      shots.push_back(message);
    }
  }
  return shots;
}

int ScriptedSimulator::Connections() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return connections_;
}

bool ScriptedSimulator::WaitFor(const std::function<bool(const std::vector<nlohmann::json>&)>& done,
                                double seconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return changed_.wait_for(lock, std::chrono::duration<double>(seconds),
                           [&] { return done(messages_); });
}

}  // namespace test_support
