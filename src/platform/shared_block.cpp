#include "platform/shared_block.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/debug_output.h"

namespace platform {

namespace {

uint8_t* MapWhole(int fd, size_t size) {
  void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  ::close(fd);  // the mapping keeps the object alive
  return view == MAP_FAILED ? nullptr : static_cast<uint8_t*>(view);
}

}  // namespace

void SharedBlockName(const char* name, char* out, size_t outSize) {
  const char* override = std::getenv("KESTRIX_SHM_NAME");
  if (override != nullptr && override[0] != '\0') name = override;
  if (name[0] == '/') name++;
  std::snprintf(out, outSize, "/%s", name);
}

uint8_t* CreateSharedBlock(const char* name, size_t size) {
  char path[256];
  SharedBlockName(name, path, sizeof path);
  const int fd = ::shm_open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) {
    DebugPrintf("-> shared block %s cannot be created: %s <-\n", path, std::strerror(errno));
    return nullptr;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || info.st_uid != ::geteuid()) {
    // Someone else's block under our name: writing shot data into it would leak it to them.
    DebugPrintf("-> shared block %s belongs to another user <-\n", path);
    ::close(fd);
    return nullptr;
  }
  ::fchmod(fd, 0600);
  if (static_cast<size_t>(info.st_size) < size && ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    DebugPrintf("-> shared block %s cannot be sized: %s <-\n", path, std::strerror(errno));
    ::close(fd);
    return nullptr;
  }
  uint8_t* view = MapWhole(fd, size);
  if (view == nullptr) DebugPrintf("-> shared block %s cannot be mapped <-\n", path);
  return view;
}

uint8_t* OpenSharedBlock(const char* name, size_t size) {
  char path[256];
  SharedBlockName(name, path, sizeof path);
  const int fd = ::shm_open(path, O_RDWR | O_CLOEXEC, 0);
  if (fd < 0) return nullptr;
  struct stat info {};
  // A block still being sized by its creator is not there yet.
  if (::fstat(fd, &info) != 0 || static_cast<size_t>(info.st_size) < size) {
    ::close(fd);
    return nullptr;
  }
  return MapWhole(fd, size);
}

void RemoveSharedBlock(const char* name) {
  char path[256];
  SharedBlockName(name, path, sizeof path);
  ::shm_unlink(path);
}

}  // namespace platform
