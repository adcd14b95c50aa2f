#include "platform/debug_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace platform {

void OutputDebugStringA(const char* text) {
  if (text == nullptr) return;
  size_t left = std::strlen(text);
  // One write per line keeps lines of different threads whole; the loop only finishes a write
  // the kernel cut short (large text into a pipe) or one a signal interrupted.
  while (left > 0) {
    const ssize_t written = ::write(STDERR_FILENO, text, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    text += written;
    left -= static_cast<size_t>(written);
  }
}

void DebugPrintf(const char* format, ...) {
  if (format == nullptr) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  const int needed = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (needed < 0) return;
  // A cut line still ends the line, so the next one does not run into it.
  if (static_cast<size_t>(needed) >= sizeof line) line[sizeof line - 2] = '\n';
  OutputDebugStringA(line);
}

}  // namespace platform
