#include "platform/start_program.h"

#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/debug_output.h"

extern char** environ;

namespace platform {
namespace {

std::string NameOf(const std::string& entry) {
  return entry.substr(0, entry.find('='));
}

// The inherited environment with the extra entries replacing ones of the same name.
std::vector<std::string> MergedEnvironment(const std::vector<std::string>& extra) {
  std::vector<std::string> merged;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    const std::string entry(*e);
    bool replaced = false;
    for (const std::string& x : extra) replaced = replaced || NameOf(x) == NameOf(entry);
    if (!replaced) merged.push_back(entry);
  }
  merged.insert(merged.end(), extra.begin(), extra.end());
  return merged;
}

}  // namespace

bool StartProgram(const char* file, const char* parameters,
                  const std::vector<std::string>& extraEnvironment) {
  if (file == nullptr || *file == '\0') return false;
  std::vector<std::string> environment = MergedEnvironment(extraEnvironment);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  std::string name(file);
  std::string param(parameters != nullptr ? parameters : "");
  char* argv[] = {name.data(), param.data(), nullptr};

  pid_t child = 0;
  int error = ENOENT;
  // The current directory first, as the desktop shell searches it before the path.
  const std::string local = "./" + name;
  if (std::strchr(file, '/') == nullptr && access(local.c_str(), X_OK) == 0) {
    error = posix_spawn(&child, local.c_str(), nullptr, nullptr, argv, envp.data());
  } else {
    error = posix_spawnp(&child, file, nullptr, nullptr, argv, envp.data());
  }
  if (error != 0) {
    DebugPrintf("-> cannot start %s : %s <-\n", file, std::strerror(error));
    return false;
  }
  return true;
}

}  // namespace platform
