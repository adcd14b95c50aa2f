// Helpers of the camera tests: waiting on a running capture thread without timing assertions,
// and running a piece of a test in a child process (for exits and the current directory).
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>

namespace camera_test {

// Polls until ready() holds; false when the generous bound runs out first (a hung capture, not
// a slow one: the bound is never the thing being tested).
inline bool WaitFor(const std::function<bool()>& ready, int boundMs = 20000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct ChildResult {
  bool exited = false;
  int code = -1;   // exit code when exited
  int signal = 0;  // terminating signal otherwise
};

// Runs body in a forked child and returns how it ended. The child ends with body's result
// unless body ends the process itself. Call it while this process runs no other thread.
inline ChildResult RunInChild(const std::function<int()>& body) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    const int code = body();
    std::fflush(nullptr);
    _exit(code);
  }
  ChildResult result;
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child) return result;
  if (WIFEXITED(status)) {
    result.exited = true;
    result.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace camera_test
