#include "analysis/remove_tree.h"

#include <filesystem>
#include <string>
#include <system_error>

namespace {

namespace fs = std::filesystem;

bool Contains(const std::string& path, const char* keep) {
  return keep != nullptr && path.find(keep) != std::string::npos;
}

}  // namespace

bool RemoveTree(const char* folder, const char* keepA, const char* keepB, bool removeSelf) {
  if (folder == nullptr) return false;
  std::error_code ec;
  fs::directory_iterator it(folder, ec);
  if (ec) return false;
  for (const fs::directory_iterator end; it != end;) {
    // A link is removed as a file, so a link to a folder never leads the walk out of the tree.
    const fs::file_status status = it->symlink_status(ec);
    if (ec) return false;
    const fs::path& path = it->path();
    if (fs::is_directory(status)) {
      // The whole path is matched, so a keep text can also select by a parent folder's name.
      const std::string text = path.string();
      if (!Contains(text, keepA) && !Contains(text, keepB) &&
          !RemoveTree(text.c_str(), keepA, keepB, true)) {
        return false;
      }
    } else if (!fs::remove(path, ec)) {
      return false;
    }
    it.increment(ec);
    if (ec) return false;
  }
  return !removeSelf || fs::remove(folder, ec);
}
