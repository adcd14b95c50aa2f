#include "shot_history.h"

#include <sys/time.h>
#include <time.h>

#include <cerrno>
#include <cstring>

namespace openconnect {

ShotHistory::~ShotHistory() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ShotHistory::Open(const std::string& path) {
  path_ = path;
  file_ = std::fopen(path.c_str(), "a");
  if (file_ == nullptr) {
    std::fprintf(stderr, "kestrix-openconnect: cannot open the history %s: %s\n", path.c_str(),
                 std::strerror(errno));
    return false;
  }
  return true;
}

void ShotHistory::Append(const nlohmann::ordered_json& line) {
  // Invalid UTF-8 from the simulator is replaced rather than thrown on.
  const std::string text =
      line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
  if (file_ == nullptr || std::fwrite(text.data(), 1, text.size(), file_) != text.size() ||
      std::fflush(file_) != 0) {
    std::fprintf(stderr, "kestrix-openconnect: cannot write the history %s: %s\n", path_.c_str(),
                 std::strerror(errno));
  }
}

std::string LocalTimeText() {
  timeval now{};
  gettimeofday(&now, nullptr);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  char text[48];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  std::snprintf(text + n, sizeof text - n, ".%03ld", static_cast<long>(now.tv_usec / 1000));
  return text;
}

}  // namespace openconnect
