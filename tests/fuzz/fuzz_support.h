// Shared pieces of the fuzz harnesses: a scratch directory per process (the parsers that only read
// paths get their input through a file in it) and a check that stops the run with a message.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzz {

// A property that does not hold is a finding like a crash: say which, then abort so libFuzzer
// keeps the input.
#define FUZZ_CHECK(condition, what)                                                             \
  do {                                                                                          \
    if (!(condition)) {                                                                         \
      std::fprintf(stderr, "fuzz check failed: %s (%s) at %s:%d\n", what, #condition, __FILE__, \
                   __LINE__);                                                                   \
      std::abort();                                                                             \
    }                                                                                           \
  } while (0)

// Made on first use, removed when the process ends normally (a crash leaves it for the post
// mortem); two fuzzers (or -jobs) never share one. Never destroyed, so the exit handler still
// finds it.
inline const std::filesystem::path& ScratchDir() {
  static const std::filesystem::path* const dir = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kestrix_fuzz_XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
      std::perror("mkdtemp");
      std::abort();
    }
    auto* made = new std::filesystem::path(pattern);
    std::atexit([] {
      std::error_code ignored;
      std::filesystem::remove_all(ScratchDir(), ignored);
    });
    return made;
  }();
  return *dir;
}

inline std::string ScratchFile(const char* name) {
  return (ScratchDir() / name).string();
}

// Replaces the file with exactly these bytes.
inline void WriteFile(const std::string& path, std::string_view bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  FUZZ_CHECK(file != nullptr, "scratch file cannot be created");
  const bool written =
      bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  FUZZ_CHECK(std::fclose(file) == 0 && written, "scratch file cannot be written");
}

inline std::string ReadFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return bytes;
  char chunk[16384];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  std::fclose(file);
  return bytes;
}

}  // namespace fuzz
