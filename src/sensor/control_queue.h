// The hand-over from the threads that hear the outside world (the client listener, signals) to
// the sensor's one control thread, on which client codes, the reconnect tick and operator
// commands run one after another. Thread-safe; the capture threads never touch it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

class ControlQueue {
 public:
  struct Command {
    uint32_t code = 0;
    int64_t lParam = 0;
    uint64_t ticket = 0;
  };
  // Told that work is waiting, on the posting thread; a console queues a call on its own thread.
  using WakeHook = void (*)(void* context);

  void SetWakeHook(WakeHook hook, void* context);

  // Any thread. Returns the command's ticket, or 0 when the queue no longer takes commands.
  uint64_t Post(uint32_t code, int64_t lParam);
  // Any thread but the control thread: waits until the command of this ticket has run, the
  // queue was closed, or timeoutMs passed. True when it ran.
  bool WaitUntilRun(uint64_t ticket, int64_t timeoutMs);

  // Control thread: takes the oldest waiting command; false when none.
  bool Take(Command* command);
  // Control thread: the command taken last has run.
  void MarkRun(uint64_t ticket);
  // Control thread: waits until a command waits, a close was asked, or timeoutMs passed.
  void WaitForWork(int64_t timeoutMs);

  // Any thread (a signal's thread, the client's close code).
  void RequestClose();
  bool CloseRequested() const;
  // Blocks until a close was asked or timeoutMs passed; true when a close was asked.
  bool WaitForCloseRequest(int64_t timeoutMs);

  // No further commands are taken; everyone waiting for one is released.
  void Close();

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Command> waiting_;
  uint64_t lastTicket_ = 0;
  uint64_t lastRun_ = 0;
  bool closeRequested_ = false;
  bool closed_ = false;
  WakeHook wake_ = nullptr;
  void* wakeContext_ = nullptr;
};
