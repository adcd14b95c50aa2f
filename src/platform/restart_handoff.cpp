#include "platform/restart_handoff.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace platform {
namespace {

constexpr const char* kPid = "KESTRIX_RESTART_PID";
constexpr const char* kStart = "KESTRIX_RESTART_START";
constexpr const char* kExecutable = "KESTRIX_RESTART_EXE";
constexpr const char* kArgCount = "KESTRIX_RESTART_ARGC";
constexpr const char* kArgPrefix = "KESTRIX_RESTART_ARG";
constexpr int kMaxArguments = 256;

// Reads a /proc file whole. Plain reads, since a process that ends while its file is read makes
// the read fail (ESRCH), which a stream would turn into an exception.
std::string ReadAll(const std::string& path) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char chunk[4096];
  for (;;) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got > 0) {
      text.append(chunk, static_cast<size_t>(got));
    } else if (got < 0 && errno == EINTR) {
      continue;
    } else {
      if (got < 0) text.clear();
      break;
    }
  }
  ::close(fd);
  return text;
}

bool ParseNumber(const char* text, unsigned long long& out) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0';
}

// The state letter and start time of /proc/<pid>/stat; false when the process is gone.
bool ReadStat(pid_t pid, char& state, uint64_t& startTime) {
  const std::string stat = ReadAll("/proc/" + std::to_string(pid) + "/stat");
  // The name in parentheses may itself hold blanks and parentheses; fields follow the last ')'.
  const size_t close = stat.rfind(')');
  if (close == std::string::npos) return false;
  std::istringstream fields(stat.substr(close + 1));
  std::string field;
  // Field 3 is the state, field 22 the start time.
  for (int number = 3; number <= 22 && fields >> field; ++number) {
    if (number == 3) state = field.empty() ? '?' : field[0];
    if (number == 22) {
      unsigned long long value = 0;
      if (!ParseNumber(field.c_str(), value)) return false;
      startTime = value;
      return true;
    }
  }
  return false;
}

}  // namespace

uint64_t ProcessStartTime(pid_t pid) {
  char state = '?';
  uint64_t start = 0;
  if (!ReadStat(pid, state, start) || state == 'Z' || state == 'X') return 0;
  return start;
}

bool ProcessRunning(pid_t pid, uint64_t startTime) {
  const uint64_t now = ProcessStartTime(pid);
  return now != 0 && now == startTime;
}

std::vector<std::string> RestartEnvironment() {
  std::vector<std::string> env;
  const pid_t self = getpid();
  env.push_back(std::string(kPid) + "=" + std::to_string(self));
  env.push_back(std::string(kStart) + "=" + std::to_string(ProcessStartTime(self)));

  char exe[PATH_MAX] = {};
  const ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
  env.push_back(std::string(kExecutable) + "=" + (length > 0 ? std::string(exe, length) : ""));

  // The command line, one NUL-terminated argument after the other.
  const std::string cmdline = ReadAll("/proc/self/cmdline");
  std::vector<std::string> args;
  for (size_t at = 0; at < cmdline.size() && args.size() < kMaxArguments;) {
    const size_t end = cmdline.find('\0', at);
    const size_t stop = end == std::string::npos ? cmdline.size() : end;
    args.push_back(cmdline.substr(at, stop - at));
    at = stop + 1;
  }
  env.push_back(std::string(kArgCount) + "=" + std::to_string(args.size()));
  for (size_t i = 0; i < args.size(); ++i) {
    env.push_back(std::string(kArgPrefix) + std::to_string(i) + "=" + args[i]);
  }
  return env;
}

bool ReadRestartRequest(RestartRequest& request) {
  unsigned long long pid = 0;
  unsigned long long start = 0;
  unsigned long long count = 0;
  if (!ParseNumber(std::getenv(kPid), pid) || pid == 0 || pid > INT_MAX) return false;
  if (!ParseNumber(std::getenv(kStart), start)) return false;
  const char* exe = std::getenv(kExecutable);
  if (exe == nullptr || *exe != '/') return false;
  if (!ParseNumber(std::getenv(kArgCount), count) || count > kMaxArguments) return false;
  request.pid = static_cast<pid_t>(pid);
  request.startTime = start;
  request.executable = exe;
  request.arguments.clear();
  for (unsigned long long i = 0; i < count; ++i) {
    const char* arg = std::getenv((std::string(kArgPrefix) + std::to_string(i)).c_str());
    if (arg == nullptr) return false;
    request.arguments.emplace_back(arg);
  }
  if (request.arguments.empty()) request.arguments.push_back(request.executable);
  return true;
}

void ClearRestartRequest() {
  unsigned long long count = 0;
  if (ParseNumber(std::getenv(kArgCount), count) && count <= kMaxArguments) {
    for (unsigned long long i = 0; i < count; ++i) {
      unsetenv((std::string(kArgPrefix) + std::to_string(i)).c_str());
    }
  }
  for (const char* name : {kPid, kStart, kExecutable, kArgCount}) unsetenv(name);
}

}  // namespace platform
