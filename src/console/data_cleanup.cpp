#include "console/data_cleanup.h"

#include <filesystem>

#include "analysis/remove_tree.h"

namespace console {

std::string DateText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char text[32];
  std::snprintf(text, sizeof text, "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1,
                local.tm_mday);
  return text;
}

void CleanDataFolder(const std::string& workingDirectory, std::time_t now) {
  const std::string today = DateText(now);
  const std::string yesterday = DateText(now - 86400);
  const std::string data = (std::filesystem::path(workingDirectory) / "data").string();
  RemoveTree(data.c_str(), today.c_str(), yesterday.c_str(), false);
}

}  // namespace console
