#include "platform/process_list.h"

#include <fcntl.h>
#include <sched.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/thread_control.h"

namespace platform {
namespace {

// The number a /proc entry is named after; -1 for other entries.
int EntryNumber(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  if (name.empty() || name.size() > 9) return -1;
  int value = 0;
  for (const char c : name) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The text of a /proc file up to its first stop character. Plain reads, since a process that
// ends meanwhile makes the read fail (ESRCH) and that must not throw; cmdline can be megabytes,
// so reading stops at the first stop.
bool ReadUpTo(const std::string& path, char stop, std::string& text) {
  text.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = true;
  char chunk[512];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) ok = false;
    if (got <= 0) break;
    const std::string_view piece(chunk, static_cast<size_t>(got));
    const size_t end = piece.find(stop);
    text.append(piece.substr(0, end));
    if (end != std::string_view::npos) break;
  }
  ::close(fd);
  return ok;
}

bool ExeName(const std::string& dir, std::string& name) {
  std::error_code error;
  std::string target = std::filesystem::read_symlink(dir + "/exe", error).string();
  if (!error && !target.empty()) {
    // A program replaced while it runs (an update) still counts under its own name.
    constexpr std::string_view kDeleted = " (deleted)";
    if (target.ends_with(kDeleted)) target.resize(target.size() - kDeleted.size());
    name = BaseName(target);
    if (!name.empty()) return true;
  }
  // Other users' processes and zombies hide the link; argv[0] is the next best.
  std::string text;
  if (ReadUpTo(dir + "/cmdline", '\0', text)) {
    name = BaseName(text);
    if (!name.empty()) return true;
  }
  // Kernel threads have neither.
  if (ReadUpTo(dir + "/comm", '\n', text) && !text.empty()) {
    name = text;
    return true;
  }
  return false;
}

}  // namespace

std::vector<ProcessEntry> ListProcesses() {
  std::vector<ProcessEntry> processes;
  std::error_code error;
  std::filesystem::directory_iterator it("/proc", error);
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    const int pid = EntryNumber(it->path());
    if (pid <= 0) continue;
    std::string name;
    if (ExeName(it->path().string(), name)) processes.push_back({pid, std::move(name)});
  }
  return processes;
}

int CurrentProcessId() {
  return static_cast<int>(::getpid());
}

bool SetProcessAffinityMask(int pid, uint32_t mask) {
  if (pid <= 0 || mask == 0) return false;
  const int32_t processors = ProcessorCount();
  if (processors < 32 && (mask >> processors) != 0) return false;
  cpu_set_t set;
  CPU_ZERO(&set);
  for (int n = 0; n < 32; ++n) {
    if ((mask >> n) & 1u) CPU_SET(n, &set);
  }
  // Linux places threads, not processes: each thread the process has now is placed, and threads
  // started later inherit the placement of the thread that starts them.
  bool mainPlaced = false;
  std::error_code error;
  std::filesystem::directory_iterator it("/proc/" + std::to_string(pid) + "/task", error);
  for (const std::filesystem::directory_iterator end; !error && it != end; it.increment(error)) {
    const int tid = EntryNumber(it->path());
    if (tid <= 0) continue;
    // A thread that ended meanwhile fails with ESRCH and is simply passed over.
    const bool placed = ::sched_setaffinity(tid, sizeof set, &set) == 0;
    if (tid == pid) mainPlaced = placed;
  }
  return mainPlaced;
}

}  // namespace platform
