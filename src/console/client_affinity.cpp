#include "console/client_affinity.h"

#include <chrono>

#include "platform/debug_output.h"
#include "platform/process_list.h"
#include "platform/thread_control.h"

namespace console {

namespace {
constexpr auto kKeeperPeriod = std::chrono::milliseconds(3000);
constexpr auto kKeeperPoll = std::chrono::milliseconds(100);
}  // namespace

void ClientProcessName::Set(std::string name) {
  std::lock_guard lock(mutex_);
  name_ = std::move(name);
}

std::string ClientProcessName::Get() const {
  std::lock_guard lock(mutex_);
  return name_;
}

std::string ClientProcessName::FromFileBytes(const std::string& bytes) {
  std::string name = bytes.substr(0, kBufferSize - 1);
  const size_t nul = name.find('\0');
  if (nul != std::string::npos) name.resize(nul);
  return name;
}

uint32_t ClientAffinityMask(int p) {
  switch (p) {
    case 4:
      return 0x3;
    case 5:
      return 0x7;
    case 6:
      return 0xF;
    case 7:
      return 0x1F;
    case 8:
      return 0x3F;
    default:
      return p > 8 ? 0x3 : 0;
  }
}

uint32_t SensorAffinityMask(int p) {
  uint32_t mask = 0;
  for (int back = 3; back >= 1; --back) {
    const int bit = ((p - back) % 32 + 32) % 32;
    mask |= uint32_t{1} << bit;
  }
  return mask;
}

bool ApplyClientAffinity(const std::string& name) {
  if (name.empty()) return false;
  for (const platform::ProcessEntry& process : platform::ListProcesses()) {
    if (process.exeName != name) continue;
    const uint32_t mask = ClientAffinityMask(platform::ProcessorCount());
    if (mask == 0 || !platform::SetProcessAffinityMask(process.pid, mask)) {
      platform::OutputDebugStringA("-> SetProcessAffinityMask - error <-\n");
    }
    return true;
  }
  return false;
}

AffinityKeeper::~AffinityKeeper() {
  Stop();
  Join();
}

void AffinityKeeper::Start() {
  running_ = true;
  thread_ = std::thread([this] {
    while (running_.load()) {
      // Sleeps in short steps so the shutdown is not held up for the whole period.
      const auto wake = std::chrono::steady_clock::now() + kKeeperPeriod;
      while (running_.load() && std::chrono::steady_clock::now() < wake) {
        std::this_thread::sleep_for(kKeeperPoll);
      }
      if (!running_.load()) break;
      ApplyClientAffinity(name_.Get());
    }
  });
}

void AffinityKeeper::Stop() {
  running_ = false;
}

void AffinityKeeper::Join() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace console
