#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string_view>

extern char** environ;

namespace accuracy {

namespace {

// Closes the spawn attributes whatever way Start leaves.
struct FileActions {
  posix_spawn_file_actions_t actions;
  FileActions() { posix_spawn_file_actions_init(&actions); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
};

// Ours without the variables given, then those: a name set twice would leave the child to pick.
std::vector<char*> Environment(const std::vector<std::string>& given) {
  std::vector<char*> out;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string_view name(*entry, std::strcspn(*entry, "="));
    bool replaced = false;
    for (const std::string& g : given) replaced = replaced || g.substr(0, g.find('=')) == name;
    if (!replaced) out.push_back(*entry);
  }
  for (const std::string& g : given) out.push_back(const_cast<char*>(g.c_str()));
  out.push_back(nullptr);
  return out;
}

}  // namespace

ChildProcess::~ChildProcess() {
  if (Running()) {
    Signal(SIGKILL);
    WaitFor(5.0);
  }
  CloseStdout();
}

bool ChildProcess::Start(const std::string& program, const std::vector<std::string>& args,
                         const std::string& directory, const std::string& stdoutFile,
                         const std::string& stderrFile, std::string* error,
                         const std::vector<std::string>& environment) {
  if (::access(program.c_str(), X_OK) != 0) {
    *error = "cannot run " + program + ": " + std::strerror(errno);
    return false;
  }
  int pipeFds[2] = {-1, -1};
  if (stdoutFile.empty() && ::pipe2(pipeFds, O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  FileActions files;
  constexpr int kAppend = O_WRONLY | O_CREAT | O_APPEND;
  posix_spawn_file_actions_addopen(&files.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  if (stdoutFile.empty()) {
    posix_spawn_file_actions_adddup2(&files.actions, pipeFds[1], STDOUT_FILENO);
  } else {
    posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, stdoutFile.c_str(), kAppend,
                                     0644);
  }
  posix_spawn_file_actions_addopen(&files.actions, STDERR_FILENO, stderrFile.c_str(), kAppend,
                                   0644);
  posix_spawn_file_actions_addchdir_np(&files.actions, directory.c_str());

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp = Environment(environment);
  const int failed =
      ::posix_spawn(&pid_, program.c_str(), &files.actions, nullptr, argv.data(), envp.data());
  if (pipeFds[1] >= 0) ::close(pipeFds[1]);
  if (failed != 0) {
    if (pipeFds[0] >= 0) ::close(pipeFds[0]);
    pid_ = -1;
    *error = "cannot run " + program + ": " + std::strerror(failed);
    return false;
  }
  readFd_ = pipeFds[0];
  return true;
}

void ChildProcess::CloseStdout() {
  if (readFd_ >= 0) ::close(readFd_);
  readFd_ = -1;
}

bool ChildProcess::Running() {
  if (pid_ <= 0 || reaped_) return false;
  int status = 0;
  const pid_t done = ::waitpid(pid_, &status, WNOHANG);
  if (done == 0) return true;
  reaped_ = true;
  if (done < 0) {
    status_ = 255;
  } else {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  return false;
}

bool ChildProcess::WaitFor(double seconds) {
  const timespec pause{0, 10 * 1000 * 1000};
  for (double waited = 0; Running(); waited += 0.01) {
    if (waited >= seconds) return false;
    ::nanosleep(&pause, nullptr);
  }
  return true;
}

void ChildProcess::Signal(int signal) {
  if (pid_ > 0 && !reaped_) ::kill(pid_, signal);
}

}  // namespace accuracy
