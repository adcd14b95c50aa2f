#include "support/link_sandbox.h"

#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>

#include "clientlink/client_link.h"
#include "platform/shared_block.h"

namespace linktest {

namespace {

std::string directory;

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
  char pattern[] = "/tmp/kestrix-test-XXXXXX";
  ASSERT_NE(::mkdtemp(pattern), nullptr);
  directory = pattern;
  ::setenv("KESTRIX_ENDPOINT_DIR", pattern, 1);
  const std::string block = "kestrix_test_" + std::to_string(::getpid());
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

}  // namespace linktest
