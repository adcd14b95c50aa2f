#include "platform/endpoint_directory.h"

#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/debug_output.h"

namespace platform {

void EndpointDirectory(char* out, size_t outSize) {
  const char* override = std::getenv("KESTRIX_ENDPOINT_DIR");
  if (override != nullptr && override[0] != '\0') {
    std::snprintf(out, outSize, "%s", override);
    return;
  }
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && runtime[0] == '/') {
    std::snprintf(out, outSize, "%s/kestrix", runtime);
    return;
  }
  std::snprintf(out, outSize, "/tmp/kestrix-%u", static_cast<unsigned>(::geteuid()));
}

bool EndpointPath(const char* window, char* out, size_t outSize) {
  char directory[sizeof(sockaddr_un::sun_path)];
  EndpointDirectory(directory, sizeof directory);
  const int needed = std::snprintf(out, outSize, "%s/%s", directory, window);
  return needed > 0 && static_cast<size_t>(needed) < outSize &&
         static_cast<size_t>(needed) < sizeof(sockaddr_un::sun_path);
}

bool PrepareEndpointDirectory() {
  char directory[sizeof(sockaddr_un::sun_path)];
  EndpointDirectory(directory, sizeof directory);
  if (::mkdir(directory, 0700) != 0 && errno != EEXIST) {
    DebugPrintf("-> endpoint directory %s cannot be created: %s <-\n", directory,
                std::strerror(errno));
    return false;
  }
  struct stat info {};
  if (::lstat(directory, &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() ||
      (info.st_mode & 077) != 0) {
    // Another user could swap our sockets for theirs in a directory we do not own alone.
    DebugPrintf("-> endpoint directory %s is not private to this user <-\n", directory);
    return false;
  }
  return true;
}

}  // namespace platform
