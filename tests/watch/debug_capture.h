// Catches what the sensor writes to its debug output (standard error) while it lives, so a test
// can check the exact diagnostic lines.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>

class DebugCapture {
 public:
  DebugCapture() : file_(std::tmpfile()) {
    std::fflush(stderr);
    saved_ = ::dup(STDERR_FILENO);
    if (file_ != nullptr) ::dup2(::fileno(file_), STDERR_FILENO);
  }
  ~DebugCapture() {
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    if (file_ != nullptr) std::fclose(file_);
  }
  DebugCapture(const DebugCapture&) = delete;
  DebugCapture& operator=(const DebugCapture&) = delete;

  std::string Text() const {
    std::string text;
    if (file_ == nullptr) return text;
    char chunk[4096];
    off_t offset = 0;
    ssize_t got = 0;
    while ((got = ::pread(::fileno(file_), chunk, sizeof chunk, offset)) > 0) {
      text.append(chunk, static_cast<size_t>(got));
      offset += got;
    }
    return text;
  }

  int Count(std::string_view line) const {
    const std::string text = Text();
    int count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
      ++count;
    }
    return count;
  }

 private:
  std::FILE* file_;
  int saved_ = -1;
};
