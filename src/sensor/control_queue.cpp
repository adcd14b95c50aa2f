#include "sensor/control_queue.h"

#include <chrono>

void ControlQueue::SetWakeHook(WakeHook hook, void* context) {
  std::lock_guard lock(mutex_);
  wake_ = hook;
  wakeContext_ = context;
}

uint64_t ControlQueue::Post(uint32_t code, int64_t lParam) {
  WakeHook wake;
  void* wakeContext;
  uint64_t ticket;
  {
    std::lock_guard lock(mutex_);
    if (closed_) return 0;
    ticket = ++lastTicket_;
    waiting_.push_back({code, lParam, ticket});
    wake = wake_;
    wakeContext = wakeContext_;
  }
  changed_.notify_all();
  if (wake != nullptr) wake(wakeContext);
  return ticket;
}

bool ControlQueue::WaitUntilRun(uint64_t ticket, int64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  // Commands run in ticket order, so every ticket up to the last one run has run.
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [&] { return closed_ || lastRun_ >= ticket; });
  return lastRun_ >= ticket;
}

bool ControlQueue::Take(Command* command) {
  std::lock_guard lock(mutex_);
  if (waiting_.empty()) return false;
  *command = waiting_.front();
  waiting_.pop_front();
  return true;
}

void ControlQueue::MarkRun(uint64_t ticket) {
  {
    std::lock_guard lock(mutex_);
    if (ticket > lastRun_) lastRun_ = ticket;
  }
  changed_.notify_all();
}

void ControlQueue::WaitForWork(int64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                    [this] { return closeRequested_ || !waiting_.empty(); });
}

void ControlQueue::RequestClose() {
  WakeHook wake;
  void* wakeContext;
  {
    std::lock_guard lock(mutex_);
    closeRequested_ = true;
    wake = wake_;
    wakeContext = wakeContext_;
  }
  changed_.notify_all();
  if (wake != nullptr) wake(wakeContext);
}

bool ControlQueue::CloseRequested() const {
  std::lock_guard lock(mutex_);
  return closeRequested_;
}

bool ControlQueue::WaitForCloseRequest(int64_t timeoutMs) {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                           [this] { return closeRequested_; });
}

void ControlQueue::Close() {
  {
    std::lock_guard lock(mutex_);
    closed_ = true;
    waiting_.clear();
  }
  changed_.notify_all();
}
