#include "support/link_sandbox.h"

#include <signal.h>
#include <stdlib.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "clientlink/client_link.h"
#include "platform/shared_block.h"

namespace linktest {

namespace {

std::string directory;

constexpr const char* kBlockPrefix = "kestrix_test_";
// Where the system keeps named blocks, and the names test programs give theirs: this sandbox's,
// the accuracy tool's, and those of older test builds. Each is followed by the maker's pid.
constexpr const char* kBlockDirectory = "/dev/shm";
constexpr const char* kLeftoverPrefixes[] = {kBlockPrefix, "kestrix_e2e_", "kestrix_link_e2e_",
                                             "kestrix_accuracy_"};

// The pid a block name carries after its prefix, or 0.
pid_t MakerOf(const std::string& name) {
  for (const char* prefix : kLeftoverPrefixes) {
    const size_t length = std::strlen(prefix);
    if (name.compare(0, length, prefix) != 0) continue;
    long long pid = 0;
    size_t i = length;
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9' && pid < 1 << 30; ++i) {
      pid = pid * 10 + (name[i] - '0');
    }
    const bool ended = i == name.size() || name[i] == '_';
    return ended && i > length ? static_cast<pid_t>(pid) : 0;
  }
  return 0;
}

bool ProcessGone(pid_t pid) {
  return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Ours, and made by a test process that has ended.
bool LeftBehind(const std::filesystem::path& path, const std::string& name) {
  const pid_t maker = MakerOf(name);
  struct stat info {};
  return maker > 0 && ::lstat(path.c_str(), &info) == 0 && info.st_uid == ::geteuid() &&
         ProcessGone(maker);
}

// Also run at exit: a death-test child ends without the environment's tear-down.
void RemoveSandbox() {
  if (directory.empty()) return;
  platform::RemoveSharedBlock(clientlink::kSharedBlockName);
  std::error_code ignored;
  std::filesystem::remove_all(directory, ignored);
  directory.clear();
}

// Registered before main runs, so every test of the program sees the sandbox.
[[maybe_unused]] ::testing::Environment* const sandbox =
    ::testing::AddGlobalTestEnvironment(new LinkSandbox);

}  // namespace

void LinkSandbox::SetUp() {
  RemoveLeftovers();
  char pattern[] = "/tmp/kestrix-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  directory = pattern;
  ::setenv("KESTRIX_ENDPOINT_DIR", pattern, 1);
  const std::string block = kBlockPrefix + std::to_string(::getpid());
  ::setenv("KESTRIX_SHM_NAME", block.c_str(), 1);
  std::atexit(RemoveSandbox);
}

void LinkSandbox::TearDown() {
  RemoveSandbox();
}

const std::string& LinkSandbox::Directory() {
  return directory;
}

std::string EndpointFile(const char* window) {
  return directory + "/" + window;
}

void LeaveStaleEndpoint(const char* window) {
  const std::string path = EndpointFile(window);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  ::close(fd);
}

std::string UseFreshBlock() {
  static std::atomic<unsigned> serial{0};
  const std::string block =
      kBlockPrefix + std::to_string(::getpid()) + "_" + std::to_string(serial++);
  RemoveBlock(block);
  ::setenv("KESTRIX_SHM_NAME", block.c_str(), 1);
  return block;
}

void RemoveBlock(const std::string& name) {
  ::shm_unlink(("/" + name).c_str());
}

void RemoveLeftovers() {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kBlockDirectory, ec)) {
    const std::string name = entry.path().filename().string();
    if (LeftBehind(entry.path(), name)) RemoveBlock(name);
  }
  // The per-test directories (support/temp_dir.h) carry the same prefix and pid.
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  for (const auto& entry : std::filesystem::directory_iterator(temp, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.compare(0, std::strlen(kBlockPrefix), kBlockPrefix) != 0) continue;
    std::error_code ignored;
    if (LeftBehind(entry.path(), name)) std::filesystem::remove_all(entry.path(), ignored);
  }
}

}  // namespace linktest
