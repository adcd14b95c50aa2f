// A program started with posix_spawn in a directory of our choosing, standard input from
// /dev/null, standard error to a file and standard output to a file or to a pipe we read.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace accuracy {

class ChildProcess {
 public:
  ChildProcess() = default;
  // A child still running is killed and reaped, so no run leaves programs behind.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // stdoutFile empty: standard output goes to a pipe, read through StdoutFd(). Files are
  // appended to. The child gets our environment with the NAME=value entries of environment
  // added or in place of ours. False with the reason in *error.
  bool Start(const std::string& program, const std::vector<std::string>& args,
             const std::string& directory, const std::string& stdoutFile,
             const std::string& stderrFile, std::string* error,
             const std::vector<std::string>& environment = {});

  // The read end of the output pipe; -1 without one or once closed.
  int StdoutFd() const { return readFd_; }
  void CloseStdout();

  // Reaps it if it ended; never waits.
  bool Running();
  // Waits up to the given time for it to end; true once it has.
  bool WaitFor(double seconds);
  void Signal(int signal);
  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }

  // The exit code, or 128 + the signal that ended it; -1 while it runs or when never started.
  int Status() const { return status_; }

 private:
  pid_t pid_ = -1;
  bool reaped_ = false;
  int status_ = -1;
  int readFd_ = -1;
};

}  // namespace accuracy
