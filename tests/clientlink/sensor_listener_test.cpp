// The sensor's endpoint hands the client's three codes to the sensor and drops everything else,
// whatever a broken or hostile client sends.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "clientlink/client_link.h"
#include "clientlink/sensor_listener.h"
#include "platform/message_delivery.h"
#include "platform/message_endpoint.h"
#include "support/link_sandbox.h"

namespace {

struct Heard {
  uint32_t code;
  int64_t lParam;
  bool operator==(const Heard&) const = default;
};

class SensorListenerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(listener_.Start(OnClientCode, this)); }

  static void OnClientCode(uint32_t code, int64_t lParam, void* context) {
    auto* self = static_cast<SensorListenerTest*>(context);
    std::lock_guard<std::mutex> lock(self->mutex_);
    self->heard_.push_back({code, lParam});
  }

  std::vector<Heard> HeardSoFar() {
    std::lock_guard<std::mutex> lock(mutex_);
    return heard_;
  }

  // A send returns once the listener has handled it, so everything before it has been handled.
  static platform::SendOutcome Send(uint32_t message, uint32_t code, int64_t lParam) {
    return platform::SendEndpointMessage(clientlink::kSensorWindow, {message, code, lParam}, 10000,
                                         nullptr);
  }

  static sockaddr_un SensorAddress() {
    const std::string path = linktest::EndpointFile(clientlink::kSensorWindow);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return address;
  }

  // Plain socket calls only, so a forked child can use it too.
  static int ConnectRaw(const sockaddr_un& address = SensorAddress()) {
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd);
      return -1;
    }
    return fd;
  }

  clientlink::SensorListener listener_;
  std::mutex mutex_;
  std::vector<Heard> heard_;
};

TEST_F(SensorListenerTest, TheClientsCodesReachTheSensorInOrder) {
  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLUB_SELECTION, 12),
            platform::SendOutcome::kAnswered);
  EXPECT_TRUE(platform::PostEndpointMessage(
      clientlink::kSensorWindow, {clientlink::kMessage, clientlink::CODE_STATUS_QUERY, 5}));
  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLOSE, 0),
            platform::SendOutcome::kAnswered);
  const std::vector<Heard> expected = {{7100, 12}, {7106, 5}, {7112, 0}};
  EXPECT_EQ(HeardSoFar(), expected);
}

TEST_F(SensorListenerTest, AnythingElseIsDroppedAndTheSensorKeepsServing) {
  struct Garbage {
    const char* what;
    std::vector<uint8_t> packet;
  };
  auto wire = [](uint32_t message, uint32_t code) {
    std::vector<uint8_t> bytes(platform::kMessageBytes);
    platform::EncodeMessage({message, code, 1}, bytes.data());
    return bytes;
  };
  const std::vector<Garbage> cases = {
      {"another message number", wire(9024, clientlink::CODE_CLUB_SELECTION)},
      {"a code the client does not send", wire(clientlink::kMessage, clientlink::CODE_SHOT_RESULT)},
      {"an unknown code", wire(clientlink::kMessage, 7105)},
      {"code zero", wire(clientlink::kMessage, 0)},
      {"a short packet", std::vector<uint8_t>(15, 0x58)},
      {"half a message", std::vector<uint8_t>(8, 0)},
      {"one byte too many", std::vector<uint8_t>(17, 0)},
      {"an oversized packet", std::vector<uint8_t>(4096, 0xFF)},
  };
  for (const Garbage& garbage : cases) {
    SCOPED_TRACE(garbage.what);
    const int fd = ConnectRaw();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::send(fd, garbage.packet.data(), garbage.packet.size(), 0),
              static_cast<ssize_t>(garbage.packet.size()));
    ::close(fd);
  }
  // A client that connects and says nothing, and one that hangs up at once.
  const int silent = ConnectRaw();
  ASSERT_GE(silent, 0);
  ::close(ConnectRaw());

  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLOSE, 3),
            platform::SendOutcome::kAnswered);
  ::close(silent);
  EXPECT_EQ(HeardSoFar(), (std::vector<Heard>{{7112, 3}}));
}

// Twenty programs that connect and never write would have cost 200 ms each when served one
// after another; they wait side by side, so the client's code passes them.
TEST_F(SensorListenerTest, SilentConnectionsDoNotHoldTheClientBack) {
  std::vector<int> silent;
  for (int i = 0; i < 20; ++i) {
    silent.push_back(ConnectRaw());
    ASSERT_GE(silent.back(), 0);
  }
  EXPECT_EQ(platform::SendEndpointMessage(clientlink::kSensorWindow,
                                          {clientlink::kMessage, clientlink::CODE_STATUS_QUERY, 1},
                                          1000, nullptr),
            platform::SendOutcome::kAnswered);
  // More silent ones than the listener keeps at once only wait their turn in the queue.
  for (int i = 0; i < platform::MessageEndpoint::kMaxPending + 8; ++i) {
    silent.push_back(ConnectRaw());
    ASSERT_GE(silent.back(), 0);
  }
  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLOSE, 2),
            platform::SendOutcome::kAnswered);
  for (const int fd : silent) ::close(fd);
  EXPECT_EQ(HeardSoFar(), (std::vector<Heard>{{7106, 1}, {7112, 2}}));
}

TEST_F(SensorListenerTest, StopsWhileAClientHangsOnTheLine) {
  const int silent = ConnectRaw();
  ASSERT_GE(silent, 0);
  listener_.Stop();
  ::close(silent);
  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLOSE, 0),
            platform::SendOutcome::kNoReceiver);
  EXPECT_TRUE(HeardSoFar().empty());
}

TEST_F(SensorListenerTest, AnotherUsersMessageIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to speak as another user";
  // Open the way in, so only the listener's own check stands between the other user and the sensor.
  ASSERT_EQ(::chmod(linktest::LinkSandbox::Directory().c_str(), 0711), 0);
  ASSERT_EQ(::chmod(linktest::EndpointFile(clientlink::kSensorWindow).c_str(), 0666), 0);
  uint8_t packet[platform::kMessageBytes];
  platform::EncodeMessage({clientlink::kMessage, clientlink::CODE_CLOSE, 99}, packet);
  const sockaddr_un address = SensorAddress();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    const int fd = ConnectRaw(address);
    if (fd < 0) ::_exit(3);
    // The listener may hang up before the packet is written; reaching it is what counts.
    ::send(fd, packet, sizeof packet, MSG_NOSIGNAL);
    char answer[8];
    ::recv(fd, answer, sizeof answer, 0);  // returns when the listener hangs up
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_EQ(::chmod(linktest::LinkSandbox::Directory().c_str(), 0700), 0);
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_EQ(WEXITSTATUS(status), 0) << "the other user could not reach the endpoint";
  EXPECT_EQ(Send(clientlink::kMessage, clientlink::CODE_CLOSE, 1),
            platform::SendOutcome::kAnswered);
  EXPECT_EQ(HeardSoFar(), (std::vector<Heard>{{7112, 1}}));
}

}  // namespace

namespace {

// The sensor shuts down on the client's close request, from inside the handler, and a later
// start serves again.
struct Closer {
  clientlink::SensorListener listener;
  std::atomic<int> heard{0};

  static void OnClientCode(uint32_t code, int64_t, void* context) {
    auto* self = static_cast<Closer*>(context);
    self->heard++;
    if (code == clientlink::CODE_CLOSE) self->listener.Stop();
  }
};

platform::SendOutcome SendToSensor(uint32_t code) {
  return platform::SendEndpointMessage(clientlink::kSensorWindow, {clientlink::kMessage, code, 0},
                                       10000, nullptr);
}

TEST(SensorListenerLifetime, ACloseRequestStopsTheListenerFromItsHandler) {
  Closer closer;
  ASSERT_TRUE(closer.listener.Start(Closer::OnClientCode, &closer));
  EXPECT_TRUE(closer.listener.Start(Closer::OnClientCode, &closer));  // still the same one
  EXPECT_EQ(SendToSensor(clientlink::CODE_CLOSE), platform::SendOutcome::kAnswered);

  // Started again after stopping itself: serves anew.
  ASSERT_TRUE(closer.listener.Start(Closer::OnClientCode, &closer));
  EXPECT_EQ(SendToSensor(clientlink::CODE_STATUS_QUERY), platform::SendOutcome::kAnswered);
  closer.listener.Stop();
  EXPECT_EQ(SendToSensor(clientlink::CODE_STATUS_QUERY), platform::SendOutcome::kNoReceiver);
  EXPECT_EQ(closer.heard.load(), 2);
}

}  // namespace
