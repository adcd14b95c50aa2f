// The golf client's processors: the console keeps the client's process off the processors of
// the capture threads, at start and every 3 s after (a client restarted meanwhile is caught).
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace console {

// The client's executable name, as read from "process.txt" (no trimming: a line break in the
// file is part of the name). Replaced on the user-interface thread, copied by the keeper.
class ClientProcessName {
 public:
  static constexpr size_t kBufferSize = 256;  // the name and its terminating NUL
  void Set(std::string name);
  std::string Get() const;
  // The first NUL ends the name; a file of kBufferSize bytes or more is cut to fit.
  static std::string FromFileBytes(const std::string& bytes);

 private:
  mutable std::mutex mutex_;
  std::string name_;
};

// The mask that leaves the last three of processorCount processors to the sensor; 0 where the
// machine has too few processors to split.
uint32_t ClientAffinityMask(int processorCount);

// Sets the affinity of the first process of that executable name that can be opened. False when
// the name is empty or no process of that name could be reached.
bool ApplyClientAffinity(const std::string& name);

// The sensor's own processors: the last three, bit numbers taken modulo 32.
uint32_t SensorAffinityMask(int processorCount);

// Re-applies the client's affinity every 3 s until stopped; ends within 3 s of Stop.
class AffinityKeeper {
 public:
  explicit AffinityKeeper(const ClientProcessName& name) : name_(name) {}
  ~AffinityKeeper();
  void Start();
  std::thread& thread() { return thread_; }
  void Stop();  // clears the flag; the thread notices at its next wake
  void Join();

 private:
  const ClientProcessName& name_;
  std::atomic<bool> running_{true};
  std::thread thread_;
};

}  // namespace console
