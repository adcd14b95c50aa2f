#include "platform/profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "platform/debug_output.h"
#include "platform/write_all.h"

namespace platform {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kLineEnd = "\r\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Names match ASCII case-insensitively whatever the locale, as the settings files expect.
bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

enum class LineKind { kBlank, kComment, kSection, kKey };

// One line of the file: its raw byte range (terminator included) and what it holds.
struct ProfileLine {
  size_t begin = 0;
  size_t end = 0;
  LineKind kind = LineKind::kBlank;
  std::string_view name;   // section name or key, trimmed
  std::string_view value;  // trimmed, quotes kept
  bool hasValue = false;   // a key line without '=' has no value and reads as missing
};

// Walks the lines of a profile text; LF and CRLF ends, a missing final end and a leading BOM
// are all taken as they come.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text) : text_(text) {}

  bool Next(ProfileLine& line) {
    if (pos_ >= text_.size()) return false;
    line = ProfileLine{};
    line.begin = pos_;
    const size_t newline = text_.find('\n', pos_);
    size_t contentEnd = newline == std::string_view::npos ? text_.size() : newline;
    line.end = newline == std::string_view::npos ? text_.size() : newline + 1;
    pos_ = line.end;
    if (contentEnd > line.begin && text_[contentEnd - 1] == '\r') --contentEnd;
    std::string_view content = text_.substr(line.begin, contentEnd - line.begin);
    if (line.begin == 0 && content.substr(0, kUtf8Bom.size()) == kUtf8Bom) {
      content.remove_prefix(kUtf8Bom.size());
    }
    Classify(TrimBlanks(content), line);
    return true;
  }

 private:
  static void Classify(std::string_view content, ProfileLine& line) {
    if (content.empty()) {
      line.kind = LineKind::kBlank;
    } else if (content.front() == ';' || content.front() == '#') {
      line.kind = LineKind::kComment;
    } else if (content.front() == '[') {
      line.kind = LineKind::kSection;
      const std::string_view inner = content.substr(1);
      line.name = TrimBlanks(inner.substr(0, inner.find(']')));
    } else {
      line.kind = LineKind::kKey;
      const size_t equals = content.find('=');
      line.name = TrimBlanks(content.substr(0, equals));
      if (equals != std::string_view::npos) {
        line.hasValue = true;
        line.value = TrimBlanks(content.substr(equals + 1));
      }
    }
  }

  std::string_view text_;
  size_t pos_ = 0;
};

// Where section/key sits in a text. Only the first section of that name counts, and in it the
// first line of that key.
struct ProfileLocation {
  bool sectionFound = false;
  bool keyFound = false;
  ProfileLine keyLine;
  size_t sectionContentEnd = 0;  // after the section's last line that is neither blank nor comment
};

ProfileLocation Locate(std::string_view text, std::string_view section, std::string_view key) {
  ProfileLocation where;
  LineScanner scanner(text);
  ProfileLine line;
  bool inSection = false;
  while (scanner.Next(line)) {
    if (line.kind == LineKind::kSection) {
      if (inSection) break;
      inSection = SameName(line.name, section);
      if (inSection) {
        where.sectionFound = true;
        where.sectionContentEnd = line.end;
      }
      continue;
    }
    if (!inSection || line.kind != LineKind::kKey) continue;
    where.sectionContentEnd = line.end;
    if (!where.keyFound && SameName(line.name, key)) {
      where.keyFound = true;
      where.keyLine = line;
    }
  }
  return where;
}

enum class ReadStatus { kOk, kMissing, kError };

ReadStatus ReadWholeFile(const char* path, std::string& bytes) {
  bytes.clear();
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::kMissing : ReadStatus::kError;
  }
  char chunk[16384];
  size_t got = 0;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  return failed ? ReadStatus::kError : ReadStatus::kOk;
}

// Writes a temporary file beside the target and renames it over, so a crash mid-write leaves
// either the old file or the new one, never a cut one. An existing file keeps its mode.
bool ReplaceFile(const std::string& path, std::string_view bytes) {
  static unsigned serial = 0;  // guarded by the profile mutex
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = path + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(serial++);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return false;
  struct stat old {};
  bool ok = true;
  if (::stat(path.c_str(), &old) == 0) ok = ::fchmod(fd, old.st_mode & 07777) == 0;
  // No fsync: a camera's settings write is about a hundred keys, and the rename already keeps a
  // crashed process from leaving a cut file.
  ok = ok && WriteAll(fd, bytes);
  ok = (::close(fd) == 0) && ok;
  ok = ok && std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) {
    const int cause = errno;
    ::unlink(temp.c_str());
    errno = cause;
  }
  return ok;
}

// Read-modify-write of a file must not interleave between threads, or one key would be lost.
std::mutex& ProfileMutex() {
  static std::mutex mutex;
  return mutex;
}

bool HasLineBreak(std::string_view text) {
  return text.find_first_of("\r\n") != text.npos;
}

// Names and values the file could not give back as written are refused instead of corrupting
// the file (a line break would inject lines, '=' in a key or ']' in a section would split them).
bool WritableEntry(const char* section, const char* key, const char* value, const char* path) {
  if (section == nullptr || key == nullptr || value == nullptr || path == nullptr ||
      *path == '\0') {
    return false;
  }
  const std::string_view trimmedKey = TrimBlanks(key);
  return !HasLineBreak(section) && !HasLineBreak(key) && !HasLineBreak(value) &&
         std::strchr(section, ']') == nullptr && !trimmedKey.empty() &&
         trimmedKey.find('=') == trimmedKey.npos && trimmedKey.front() != '[' &&
         trimmedKey.front() != ';' && trimmedKey.front() != '#';
}

uint32_t CopyOut(std::string_view text, char* out, uint32_t size) {
  const size_t zero = text.find('\0');
  if (zero != text.npos) text = text.substr(0, zero);
  const size_t count = text.size() < size - 1 ? text.size() : size - 1;
  std::memcpy(out, text.data(), count);
  out[count] = '\0';
  return static_cast<uint32_t>(count);
}

}  // namespace

uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* out, uint32_t size, const char* path) {
  if (out == nullptr || size == 0) return 0;
  std::string_view fallback = defaultValue != nullptr ? defaultValue : "";
  while (!fallback.empty() && IsBlank(fallback.back())) fallback.remove_suffix(1);
  if (section == nullptr || key == nullptr || path == nullptr) return CopyOut(fallback, out, size);

  std::string bytes;
  if (ReadWholeFile(path, bytes) != ReadStatus::kOk) return CopyOut(fallback, out, size);
  const ProfileLocation where = Locate(bytes, TrimBlanks(section), TrimBlanks(key));
  if (!where.keyFound || !where.keyLine.hasValue) return CopyOut(fallback, out, size);

  std::string_view value = where.keyLine.value;
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return CopyOut(value, out, size);
}

bool WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                                const char* path) {
  if (!WritableEntry(section, key, value, path)) {
    DebugPrintf("-> profile write refused: [%s] %s in %s <-\n", section ? section : "(null)",
                key ? key : "(null)", path ? path : "(null)");
    return false;
  }
  const std::string_view sectionName = TrimBlanks(section);
  const std::string_view keyName = TrimBlanks(key);

  std::lock_guard<std::mutex> lock(ProfileMutex());
  std::string bytes;
  if (ReadWholeFile(path, bytes) == ReadStatus::kError) {
    DebugPrintf("-> profile file unreadable, not written: %s <-\n", path);
    return false;
  }
  const ProfileLocation where = Locate(bytes, sectionName, keyName);

  std::string updated;
  if (where.keyFound) {
    // An unchanged value leaves the file alone; a new one keeps the key's spelling in the file.
    if (where.keyLine.hasValue && where.keyLine.value == value) return true;
    std::string line(where.keyLine.name);
    line.append("=").append(value).append(kLineEnd);
    updated = bytes;
    updated.replace(where.keyLine.begin, where.keyLine.end - where.keyLine.begin, line);
  } else {
    const size_t at = where.sectionFound ? where.sectionContentEnd : bytes.size();
    std::string insert;
    // Only the file's last line can lack its LF. The reader takes a CR there as that line's end,
    // so the line is completed with an LF alone: a second CR would become part of its text.
    if (at > 0 && bytes[at - 1] == '\r') {
      insert.append("\n");
    } else if (at > 0 && bytes[at - 1] != '\n') {
      insert.append(kLineEnd);
    }
    if (!where.sectionFound) insert.append("[").append(sectionName).append("]").append(kLineEnd);
    insert.append(keyName).append("=").append(value).append(kLineEnd);
    updated = bytes;
    updated.insert(at, insert);
  }
  if (!ReplaceFile(path, updated)) {
    DebugPrintf("-> profile file could not be written: %s (%s) <-\n", path, std::strerror(errno));
    return false;
  }
  return true;
}

}  // namespace platform
