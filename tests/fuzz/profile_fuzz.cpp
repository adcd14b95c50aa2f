// The profile reader and writer on any file. The input's first line is a write, "section TAB key
// TAB value"; the rest is the file. After the write the key reads back as written, every other
// key reads as before, and writing the same again changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz_support.h"
#include "platform/profile.h"

namespace {

constexpr size_t kMaxProbes = 24;
// A default no file holds, so a missing key and an empty value tell apart.
constexpr const char* kMissing = "\x01missing";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

char Fold(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
  a = Trim(a);
  b = Trim(b);
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (Fold(a[i]) != Fold(b[i])) return false;
  }
  return true;
}

// What reading back a written value gives: blanks trimmed, one pair of quotes dropped.
std::string ReadBackOf(std::string_view value) {
  value = Trim(value);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

std::string Read(const std::string& section, const std::string& key, const std::string& path,
                 size_t room) {
  std::vector<char> out(room + 1);
  const uint32_t n =
      platform::GetPrivateProfileStringA(section.c_str(), key.c_str(), kMissing, out.data(),
                                         static_cast<uint32_t>(out.size()), path.c_str());
  FUZZ_CHECK(n < out.size() && out[n] == '\0', "read is NUL-terminated within the buffer");
  return std::string(out.data(), n);
}

// The profile functions take C strings: a name is what comes before a NUL.
std::string CString(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

// Section and key names the file seems to hold, found roughly: a wrong guess only reads the
// default both times.
std::vector<std::pair<std::string, std::string>> Probes(std::string_view file) {
  std::vector<std::pair<std::string, std::string>> probes;
  std::string section;
  while (!file.empty() && probes.size() < kMaxProbes) {
    const size_t end = file.find('\n');
    std::string_view line = file.substr(0, end);
    file.remove_prefix(end == file.npos ? file.size() : end + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      line.remove_prefix(1);
      section = CString(line.substr(0, line.find(']')));
    } else if (line.find('=') != line.npos) {
      probes.emplace_back(section, CString(line.substr(0, line.find('='))));
    }
  }
  return probes;
}

std::string Field(std::string_view& line) {
  const size_t tab = line.find('\t');
  std::string field(line.substr(0, tab));
  line.remove_prefix(tab == line.npos ? line.size() : tab + 1);
  return CString(field);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t newline = input.find('\n');
  if (newline == input.npos) return 0;
  std::string_view command = input.substr(0, newline);
  const std::string section = Field(command);
  const std::string key = Field(command);
  const std::string value = Field(command);
  const std::string_view file = input.substr(newline + 1);

  static const std::string path = fuzz::ScratchFile("setting.ini");
  fuzz::WriteFile(path, file);
  // Room for any value the file or the write can give, and for the default.
  const size_t room = file.size() + value.size() + std::string_view(kMissing).size() + 1;

  const auto probes = Probes(file);
  std::vector<std::string> before;
  for (const auto& [s, k] : probes) before.push_back(Read(s, k, path, room));

  // A buffer shorter than the value cuts it to a prefix.
  if (!probes.empty()) {
    const size_t small = file.size() % 7;
    const std::string cut = Read(probes[0].first, probes[0].second, path, small);
    FUZZ_CHECK(cut == before[0].substr(0, small), "a short buffer holds a prefix of the value");
  }

  if (!platform::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                            path.c_str())) {
    FUZZ_CHECK(fuzz::ReadFile(path) == file, "a refused write leaves the file alone");
    return 0;
  }
  FUZZ_CHECK(Read(section, key, path, room) == ReadBackOf(value),
             "the written key reads back as written");
  for (size_t i = 0; i < probes.size(); ++i) {
    const auto& [s, k] = probes[i];
    if (SameName(s, section) && SameName(k, key)) continue;
    FUZZ_CHECK(Read(s, k, path, room) == before[i], "every other key reads as before the write");
  }

  const std::string written = fuzz::ReadFile(path);
  FUZZ_CHECK(platform::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                                  path.c_str()),
             "writing the same again succeeds");
  FUZZ_CHECK(fuzz::ReadFile(path) == written, "writing the same again changes nothing");
  return 0;
}
