#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "platform/debug_output.h"
#include "platform/endpoint_directory.h"

namespace platform {

SingleInstance::SingleInstance(const char* name) {
  if (name == nullptr || *name == '\0') {
    OutputDebugStringA("-> single-instance lock has no name, running as a second instance <-\n");
    return;
  }
  // The caller exits when the lock is not held, so every refusal below says so.
  if (!PrepareEndpointDirectory()) {
    DebugPrintf("-> single-instance lock %s unusable, running as a second instance <-\n", name);
    return;
  }
  char directory[PATH_MAX];
  EndpointDirectory(directory, sizeof directory);
  char path[PATH_MAX];
  const int needed = std::snprintf(path, sizeof path, "%s/%s.lock", directory, name);
  if (needed < 0 || static_cast<size_t>(needed) >= sizeof path) {
    DebugPrintf("-> single-instance lock path too long, running as a second instance <-\n");
    return;
  }
  // Close-on-exec, or every program the sensor starts would keep holding the lock after it exits.
  const int fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    DebugPrintf(
        "-> single-instance lock %s cannot be opened (%s), running as a second instance <-\n", path,
        std::strerror(errno));
    return;
  }
  int result = 0;
  do {
    result = ::flock(fd, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    // EWOULDBLOCK is the ordinary second copy; anything else is worth a line.
    if (errno != EWOULDBLOCK) {
      DebugPrintf("-> single-instance lock %s refused (%s), running as a second instance <-\n",
                  path, std::strerror(errno));
    }
    ::close(fd);
    return;
  }
  fd_ = fd;
}

SingleInstance::~SingleInstance() {
  if (fd_ < 0) return;
  // The file stays: a copy that opened it just before a removal would lock the removed file
  // while the next copy creates and locks a new one, and both would run.
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace platform
