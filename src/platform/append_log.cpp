#include "platform/append_log.h"

#include <sys/stat.h>

#include <cstdio>

#include "platform/debug_output.h"

namespace platform {

namespace {

// Size by seeking to the end, as the log has always been measured; -1 when it cannot be opened
// or is no regular file (a directory must never be taken for an over-long log and removed).
long FileSizeBySeek(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return -1;
  long size = -1;
  struct stat info {};
  if (::fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) &&
      std::fseek(file, 0, SEEK_END) == 0) {
    size = std::ftell(file);
  }
  std::fclose(file);
  return size;
}

}  // namespace

void AppendLog(const char* path, const char* text, int64_t capBytes) {
  if (text == nullptr) return;
  OutputDebugStringA(text);
  if (path == nullptr) return;
  if (capBytes > 0 && FileSizeBySeek(path) > capBytes) std::remove(path);
  FILE* file = std::fopen(path, "a");
  if (file == nullptr) return;  // the debug output already carries the line
  std::fputs(text, file);
  std::fclose(file);
}

}  // namespace platform
