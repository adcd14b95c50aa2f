// Posting and sending over real endpoints: what arrives, what vanishes, and that a receiver which
// does not read or does not answer never holds the sender.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "clientlink/client_link.h"
#include "platform/message_delivery.h"
#include "platform/message_endpoint.h"
#include "support/link_sandbox.h"

namespace {

struct Received {
  std::vector<platform::Message> messages;
};

int64_t Collect(const platform::Message& message, void* context) {
  static_cast<Received*>(context)->messages.push_back(message);
  return 40 + static_cast<int64_t>(message.wParam);
}

// Serves until `count` messages arrived or the endpoint has nothing more to give.
void Drain(platform::MessageEndpoint* endpoint, Received* received, size_t count) {
  while (received->messages.size() < count && endpoint->ServeOnce(1000, Collect, received) > 0) {
  }
}

std::vector<uint32_t> Codes(const Received& received) {
  std::vector<uint32_t> codes;
  for (const platform::Message& message : received.messages) codes.push_back(message.wParam);
  return codes;
}

TEST(MessageDelivery, PostsArriveWholeAndInOrder) {
  platform::MessageEndpoint client;
  ASSERT_TRUE(client.Open(clientlink::kClientWindow));
  clientlink::PostToClient(clientlink::CODE_BALL_READY, 3);
  clientlink::PostToClient(clientlink::CODE_BALL_NOT_READY, 0);
  clientlink::PostToClient(clientlink::CODE_FLIGHT_PATH, -1);
  Received received;
  Drain(&client, &received, 3);
  ASSERT_EQ(received.messages.size(), 3u);
  EXPECT_EQ(Codes(received), (std::vector<uint32_t>{7102, 7103, 7114}));
  for (const platform::Message& message : received.messages) {
    EXPECT_EQ(message.message, clientlink::kMessage);
  }
  EXPECT_EQ(received.messages[0].lParam, 3);
  EXPECT_EQ(received.messages[2].lParam, -1);
}

TEST(MessageDelivery, SendReturnsTheReceiversAnswer) {
  platform::MessageEndpoint client;
  ASSERT_TRUE(client.Open(clientlink::kClientWindow));
  Received received;
  std::thread serving([&] { Drain(&client, &received, 1); });
  int64_t answer = 0;
  const platform::Message message{clientlink::kMessage, clientlink::CODE_SHOT_RESULT, 36};
  EXPECT_EQ(platform::SendEndpointMessage(clientlink::kClientWindow, message, 10000, &answer),
            platform::SendOutcome::kAnswered);
  serving.join();
  EXPECT_EQ(answer, 40 + 7101);
}

TEST(MessageDelivery, WithoutAClientMessagesVanishAndTheSensorCarriesOn) {
  platform::Message message{clientlink::kMessage, clientlink::CODE_BALL_READY, 1};
  EXPECT_FALSE(platform::PostEndpointMessage(clientlink::kClientWindow, message));
  EXPECT_EQ(platform::SendEndpointMessage(clientlink::kClientWindow, message, 10000, nullptr),
            platform::SendOutcome::kNoReceiver);
  // As if delivered: the caller goes on to the flight path.
  EXPECT_TRUE(clientlink::SendToClient(clientlink::CODE_SHOT_RESULT, 36));

  // A socket file left by a client that died is no client either.
  linktest::LeaveStaleEndpoint(clientlink::kClientWindow);
  EXPECT_FALSE(platform::PostEndpointMessage(clientlink::kClientWindow, message));
  EXPECT_TRUE(clientlink::SendToClient(clientlink::CODE_SHOT_RESULT, 36));
}

// The client's queue fills up; every further post returns at once and is lost.
TEST(MessageDelivery, PostToAClientThatNeverReadsNeverBlocks) {
  platform::MessageEndpoint client;
  ASSERT_TRUE(client.Open(clientlink::kClientWindow));
  int taken = 0;
  int lost = 0;
  const platform::Message message{clientlink::kMessage, clientlink::CODE_BALL_NOT_READY, 0};
  for (int i = 0; i < 5000; ++i) {
    (platform::PostEndpointMessage(clientlink::kClientWindow, message) ? taken : lost)++;
  }
  EXPECT_GT(taken, 0);
  EXPECT_GT(lost, 0);
  // Once it reads again, what was queued arrives.
  Received received;
  Drain(&client, &received, 1);
  EXPECT_EQ(Codes(received), std::vector<uint32_t>{7103});
}

// The client takes the shot result but never answers: the send gives up and says so, and the
// caller must leave the block alone.
TEST(MessageDelivery, SendToAClientThatNeverAnswersGivesUp) {
  ASSERT_TRUE(clientlink::EnsureSharedBlock());
  platform::MessageEndpoint client;
  ASSERT_TRUE(client.Open(clientlink::kClientWindow));
  EXPECT_FALSE(clientlink::SendToClient(clientlink::CODE_SHOT_RESULT, 36));
  EXPECT_FALSE(clientlink::SendShotResult(ShotResultRecord{}));
  // A full queue is a client that does not read: the send fails at once.
  const platform::Message message{clientlink::kMessage, clientlink::CODE_BALL_NOT_READY, 0};
  while (platform::PostEndpointMessage(clientlink::kClientWindow, message)) {
  }
  EXPECT_EQ(platform::SendEndpointMessage(clientlink::kClientWindow, message, 60000, nullptr),
            platform::SendOutcome::kNoAnswer);
}

struct Tapped {
  std::vector<uint32_t> codes;
};

void TapCode(uint32_t code, int64_t, void* context) {
  static_cast<Tapped*>(context)->codes.push_back(code);
}

// Without a block the payload codes are not sent at all; the others still are.
void SendEveryKindWithoutABlock() {
  Tapped tapped;
  clientlink::SetMessageTap(TapCode, &tapped);
  const uint8_t flags[5] = {1, 0, 0, 0, 0};
  clientlink::PostAreaFlags(flags);
  const bool shotSent = clientlink::SendShotResult(ShotResultRecord{});
  clientlink::PostFlightPath(clientlink::FlightPathRecord{}, 10);
  clientlink::PostToClient(clientlink::CODE_BALL_READY, 0);
  const bool right = !shotSent && clientlink::SharedBlock() == nullptr &&
                     tapped.codes == std::vector<uint32_t>{clientlink::CODE_BALL_READY};
  std::exit(right ? 0 : 1);
}

// In a fresh process, since the block is made once per process.
TEST(MessageDeliveryDeathTest, WithoutABlockOnlyThePlainCodesGoOut) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(SendEveryKindWithoutABlock(), ::testing::ExitedWithCode(0), "");
}

// A creation that failed is tried again by the next call, while a capture-side thread that only
// polls the published block never waits; once made, the block is never made again.
void RetryCreatesTheBlockAndPayloadsFollow() {
  const std::string sandboxName = std::getenv("KESTRIX_SHM_NAME");
  // shm_open refuses a name with a slash inside it, as it would a full /dev/shm.
  ::setenv("KESTRIX_SHM_NAME", "kestrix/no/such/block", 1);
  Tapped tapped;
  clientlink::SetMessageTap(TapCode, &tapped);
  bool right = !clientlink::EnsureSharedBlock() && !clientlink::EnsureSharedBlock() &&
               clientlink::SharedBlock() == nullptr;
  right = right && !clientlink::SendShotResult(ShotResultRecord{}) && tapped.codes.empty();

  std::atomic<uint8_t*> seen{nullptr};
  std::atomic<bool> gaveUp{false};
  std::thread capture([&] {
    while (clientlink::SharedBlock() == nullptr && !gaveUp) std::this_thread::yield();
    seen.store(clientlink::SharedBlock());
  });
  ::setenv("KESTRIX_SHM_NAME", sandboxName.c_str(), 1);
  right = right && clientlink::EnsureSharedBlock();
  gaveUp = true;  // a block that never came is a failure, not a hang
  capture.join();
  uint8_t* const block = clientlink::SharedBlock();
  right = right && block != nullptr && seen.load() == block;

  ::setenv("KESTRIX_SHM_NAME", "kestrix/no/such/block", 1);
  right = right && clientlink::EnsureSharedBlock() && clientlink::SharedBlock() == block;

  // No client listens: the send counts as delivered, and the record is in the block.
  ShotResultRecord record;
  record.m_clubType = 3;
  record.m_speed = 44.5f;
  right = right && clientlink::SendShotResult(record) &&
          std::memcmp(block, &record, sizeof record) == 0 &&
          tapped.codes == std::vector<uint32_t>{clientlink::CODE_SHOT_RESULT};
  clientlink::SetMessageTap(nullptr, nullptr);
  // The sandbox removes the block by the name in the environment when this process ends.
  ::setenv("KESTRIX_SHM_NAME", sandboxName.c_str(), 1);
  std::exit(right ? 0 : 1);
}

TEST(MessageDeliveryDeathTest, AFailedBlockCreationIsRetriedByTheNextCall) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RetryCreatesTheBlockAndPayloadsFollow(), ::testing::ExitedWithCode(0), "");
}

TEST(MessageEndpoint, ALiveEndpointCannotBeTakenAStaleOneCan) {
  linktest::LeaveStaleEndpoint(clientlink::kClientWindow);
  platform::MessageEndpoint first;
  ASSERT_TRUE(first.Open(clientlink::kClientWindow));
  platform::MessageEndpoint second;
  EXPECT_FALSE(second.Open(clientlink::kClientWindow));
  first.Close();
  EXPECT_TRUE(second.Open(clientlink::kClientWindow));
}

// A raw connection to an endpoint, to behave as none of our senders would.
int ConnectTo(const char* window) {
  const std::string path = linktest::EndpointFile(window);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
  if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Someone only looking for the endpoint connects and closes; that is no broken message, while
// every connection that does not deliver one whole message still says why.
TEST(MessageEndpoint, OnlyConnectionsThatMisbehaveLeaveADebugLine) {
  platform::MessageEndpoint client;
  ASSERT_TRUE(client.Open(clientlink::kClientWindow));
  struct Case {
    const char* what;
    int bytes;  // -1: sends nothing
    bool closes;
    const char* line;  // nullptr: no line at all
  };
  const Case cases[] = {
      {"connects and closes", -1, true, nullptr},
      {"connects and stays silent", -1, false, "the sender sent nothing"},
      {"sends an empty packet and stays", 0, false, "packet of 0 bytes, not 16"},
      {"sends a short packet and closes", 5, true, "packet of 5 bytes, not 16"},
      {"sends an oversized packet and closes", 40, true, "packet longer than 16 bytes"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const int fd = ConnectTo(clientlink::kClientWindow);
    ASSERT_GE(fd, 0);
    const uint8_t packet[64] = {};
    if (c.bytes >= 0) {
      ASSERT_EQ(::send(fd, packet, static_cast<size_t>(c.bytes), 0), c.bytes);
    }
    if (c.closes) ::close(fd);
    Received received;
    testing::internal::CaptureStderr();
    EXPECT_EQ(client.ServeOnce(1000, Collect, &received), 0);
    const std::string output = testing::internal::GetCapturedStderr();
    if (!c.closes) ::close(fd);
    EXPECT_TRUE(received.messages.empty());
    if (c.line == nullptr) {
      EXPECT_EQ(output, "");
    } else {
      EXPECT_NE(output.find(c.line), std::string::npos) << output;
    }
  }

  // The probe of a second program that wants the endpoint, and a real message after it.
  testing::internal::CaptureStderr();
  platform::MessageEndpoint second;
  EXPECT_FALSE(second.Open(clientlink::kClientWindow));
  Received received;
  EXPECT_EQ(client.ServeOnce(1000, Collect, &received), 0);
  clientlink::PostToClient(clientlink::CODE_BALL_READY, 2);
  EXPECT_EQ(client.ServeOnce(1000, Collect, &received), 1);
  const std::string output = testing::internal::GetCapturedStderr();
  EXPECT_EQ(output.find("message dropped"), std::string::npos) << output;
  EXPECT_EQ(Codes(received), std::vector<uint32_t>{7102});
}

TEST(MessageEndpoint, ADirectoryOthersCanEnterIsRefused) {
  ASSERT_EQ(::chmod(linktest::LinkSandbox::Directory().c_str(), 0755), 0);
  platform::MessageEndpoint client;
  EXPECT_FALSE(client.Open(clientlink::kClientWindow));
  ASSERT_EQ(::chmod(linktest::LinkSandbox::Directory().c_str(), 0700), 0);
  EXPECT_TRUE(client.Open(clientlink::kClientWindow));
}

}  // namespace
