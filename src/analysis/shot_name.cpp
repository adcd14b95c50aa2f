#include "analysis/shot_name.h"

#include <cstdio>

void MakeShotName(char* out, size_t size, const char* suffix) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);  // both capture threads name shots; localtime's buffer is shared
  MakeShotNameAt(out, size, suffix, local);
}

void MakeShotNameAt(char* out, size_t size, const char* suffix, const std::tm& localTime) {
  if (out == nullptr || size == 0) return;
  const int year = localTime.tm_year + 1900, month = localTime.tm_mon + 1;
  if (suffix != nullptr) {
    std::snprintf(out, size, "%d-%d-%d-%d-%d-%d(%s)", year, month, localTime.tm_mday,
                  localTime.tm_hour, localTime.tm_min, localTime.tm_sec, suffix);
  } else {
    std::snprintf(out, size, "%d-%d-%d-%d-%d-%d", year, month, localTime.tm_mday, localTime.tm_hour,
                  localTime.tm_min, localTime.tm_sec);
  }
}
