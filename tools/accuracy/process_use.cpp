#include "process_use.h"

#include <dirent.h>

#include <charconv>
#include <fstream>
#include <iterator>
#include <string>

namespace accuracy {

std::optional<long> VmRssKiB(std::string_view status) {
  constexpr std::string_view kKey = "VmRSS:";
  for (size_t at = 0; at < status.size();) {
    size_t end = status.find('\n', at);
    if (end == std::string_view::npos) end = status.size();
    std::string_view line = status.substr(at, end - at);
    at = end + 1;
    if (!line.starts_with(kKey)) continue;
    line.remove_prefix(kKey.size());
    const size_t digits = line.find_first_not_of(" \t");
    if (digits == std::string_view::npos) return std::nullopt;
    long kib = 0;
    const char* last = line.data() + line.size();
    const auto parsed = std::from_chars(line.data() + digits, last, kib);
    if (parsed.ec != std::errc() ||
        !std::string_view(parsed.ptr, static_cast<size_t>(last - parsed.ptr)).starts_with(" kB")) {
      return std::nullopt;
    }
    return kib;
  }
  return std::nullopt;
}

std::optional<ProcessUse> ReadProcessUse(pid_t pid) {
  const std::string dir = "/proc/" + std::to_string(pid);
  std::ifstream in(dir + "/status", std::ios::binary);
  const std::string status(std::istreambuf_iterator<char>(in), {});
  const std::optional<long> rss = VmRssKiB(status);
  if (!rss) return std::nullopt;
  DIR* fds = ::opendir((dir + "/fd").c_str());
  if (fds == nullptr) return std::nullopt;
  ProcessUse use;
  use.rssKiB = *rss;
  while (const dirent* entry = ::readdir(fds)) {
    if (entry->d_name[0] != '.') ++use.fds;
  }
  ::closedir(fds);
  return use;
}

}  // namespace accuracy
