// kestrix-client against the sensor's side of the link, over the real block and endpoints.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "client_options.h"
#include "clientlink/client_link.h"
#include "clientlink/sensor_listener.h"
#include "platform/message_delivery.h"
#include "platform/message_endpoint.h"
#include "support/link_sandbox.h"

namespace {

// The client as a child process whose standard output the test reads line by line.
class ClientProcess {
 public:
  explicit ClientProcess(const std::string& arguments) {
    const std::string command = std::string(KESTRIX_CLIENT_PATH) + " " + arguments;
    pipe_ = ::popen(command.c_str(), "r");
  }
  ~ClientProcess() { Finish(); }

  bool Started() const { return pipe_ != nullptr; }

  // Every line the client printed until it exited, and its exit status.
  int Finish() {
    if (pipe_ == nullptr) return status_;
    char line[512];
    while (std::fgets(line, sizeof line, pipe_) != nullptr) lines_.emplace_back(line);
    const int status = ::pclose(pipe_);
    pipe_ = nullptr;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return status_;
  }
  const std::vector<std::string>& Lines() const { return lines_; }

 private:
  FILE* pipe_ = nullptr;
  int status_ = -1;
  std::vector<std::string> lines_;
};

// The client's first line: retried until its endpoint answers, so nothing later can vanish.
bool WaitForClient() {
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const platform::Message message{clientlink::kMessage, clientlink::CODE_BALL_NOT_READY, 0};
    if (platform::SendEndpointMessage(clientlink::kClientWindow, message, 10000, nullptr) ==
        platform::SendOutcome::kAnswered) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(ClientTool, PrintsEveryCodeWithItsPayload) {
  ClientProcess client("--count 9 --timeout 60");
  ASSERT_TRUE(client.Started());
  ASSERT_TRUE(WaitForClient());
  ASSERT_TRUE(clientlink::EnsureSharedBlock());

  // A posted payload lives only until the next message, so each is followed by a send that
  // returns once the client has copied it.
  const uint8_t flags[5] = {0, 1, 0, 0, 0};
  clientlink::PostAreaFlags(flags);
  EXPECT_TRUE(clientlink::SendToClient(clientlink::CODE_BALL_READY, 1));

  ShotResultRecord shot;
  shot.m_clubType = 1;
  shot.m_pathClass = 2;
  shot.m_HAngle = 1.5f;
  shot.m_VAngle = 17.72f;
  shot.m_speed = 45.1f;
  shot.m_derivedSpeed = 27.73f;
  shot.m_backSpin = 5012.4f;
  shot.m_sideSpin = -312.0f;
  EXPECT_TRUE(clientlink::SendShotResult(shot));

  auto path = std::make_unique<clientlink::FlightPathRecord>();
  for (auto& point : path->m_points) point[1] = 99.0f;  // past the count: must not count
  for (int i = 0; i < 812; ++i) path->m_points[i][1] = i == 400 ? 28.1f : 1.0f;
  path->m_points[811][0] = -4.2f;
  path->m_points[811][2] = 152.3f;
  clientlink::PostFlightPath(*path, 812);
  EXPECT_TRUE(clientlink::SendToClient(clientlink::CODE_MAIN_NOT_CAPTURING, 0));
  clientlink::PostToClient(clientlink::CODE_SIDE_NOT_CAPTURING, 0);
  clientlink::PostToClient(clientlink::CODE_BOTH_CAPTURING, 0);
  clientlink::PostToClient(7105, 42);

  EXPECT_EQ(client.Finish(), 0);
  const std::vector<std::string> expected = {
      "{\"code\":7103}\n",
      "{\"code\":7113,\"areas\":[0,1,0,0,0]}\n",
      "{\"code\":7102,\"clubType\":1}\n",
      "{\"code\":7101,\"clubCode\":0,\"clubType\":1,\"pathClass\":2,\"hAngle\":1.50,"
      "\"vAngle\":17.72,\"speed\":45.10,\"derivedSpeed\":27.73,\"backSpin\":5012.4,\"sideSpin\":-"
      "312.0}"
      "\n",
      "{\"code\":7114,\"points\":812,\"carry\":152.3,\"apex\":28.1,\"side\":-4.2}\n",
      "{\"code\":7108}\n",
      "{\"code\":7109}\n",
      "{\"code\":7107}\n",
      "{\"code\":7105,\"lParam\":42}\n",
  };
  EXPECT_EQ(client.Lines(), expected);
}

// What a sensor hears from the client, and the answers it posts back while the client waits.
struct FakeSensor {
  std::mutex mutex;
  std::vector<std::pair<uint32_t, int64_t>> heard;

  static void OnClientCode(uint32_t code, int64_t lParam, void* context) {
    auto* self = static_cast<FakeSensor*>(context);
    {
      std::lock_guard<std::mutex> lock(self->mutex);
      self->heard.emplace_back(code, lParam);
    }
    if (code == clientlink::CODE_STATUS_QUERY) {  // both cameras stopped
      clientlink::PostToClient(clientlink::CODE_MAIN_NOT_CAPTURING, 0);
      clientlink::PostToClient(clientlink::CODE_SIDE_NOT_CAPTURING, 0);
    }
  }
};

TEST(ClientTool, SendsTheClientsCodesAndPrintsTheAnswers) {
  FakeSensor sensor;
  clientlink::SensorListener listener;
  ASSERT_TRUE(listener.Start(FakeSensor::OnClientCode, &sensor));

  ClientProcess status("--send status --count 2 --timeout 60");
  EXPECT_EQ(status.Finish(), 0);
  EXPECT_EQ(status.Lines(), (std::vector<std::string>{"{\"code\":7108}\n", "{\"code\":7109}\n"}));

  ClientProcess commands("--send club 12 --send club 3 --send club 20 --send close");
  EXPECT_EQ(commands.Finish(), 0);
  EXPECT_TRUE(commands.Lines().empty());

  listener.Stop();
  const std::vector<std::pair<uint32_t, int64_t>> expected = {
      {7106, 0}, {7100, 12}, {7100, 3}, {7100, 20}, {7112, 0}};
  EXPECT_EQ(sensor.heard, expected);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// How a golf-client developer tries the link: one client listens, others send codes beside it.
TEST(ClientTool, SendingWorksBesideAListeningClient) {
  FakeSensor sensor;
  clientlink::SensorListener listener;
  ASSERT_TRUE(listener.Start(FakeSensor::OnClientCode, &sensor));
  const std::string listenerErr = linktest::LinkSandbox::Directory() + "/listener.err";
  ClientProcess listening("--count 3 --timeout 60 2> '" + listenerErr + "'");
  ASSERT_TRUE(listening.Started());
  ASSERT_TRUE(WaitForClient());

  ClientProcess club("--send club 3");
  EXPECT_EQ(club.Finish(), 0);
  EXPECT_TRUE(club.Lines().empty());

  // A run that wants to listen as well cannot share the endpoint and says so before sending.
  ClientProcess session("--send close --timeout 5 2>&1");
  EXPECT_EQ(session.Finish(), 2);
  ASSERT_FALSE(session.Lines().empty());
  EXPECT_NE(session.Lines().back().find("cannot own the endpoint VarnokGolf_Client"),
            std::string::npos)
      << session.Lines().back();
  platform::MessageEndpoint probe;
  EXPECT_FALSE(probe.Open(clientlink::kClientWindow));

  // The sensor answers the status query to the endpoint's owner, the listening client.
  ClientProcess status("--send status");
  EXPECT_EQ(status.Finish(), 0);
  EXPECT_TRUE(status.Lines().empty());
  EXPECT_EQ(listening.Finish(), 0);
  EXPECT_EQ(listening.Lines(), (std::vector<std::string>{"{\"code\":7103}\n", "{\"code\":7108}\n",
                                                         "{\"code\":7109}\n"}));
  listener.Stop();
  const std::vector<std::pair<uint32_t, int64_t>> expected = {{7100, 3}, {7106, 0}};
  EXPECT_EQ(sensor.heard, expected);
  // Both looked whether the endpoint is taken; neither is a broken message to its owner.
  const std::string err = ReadFile(listenerErr);
  EXPECT_EQ(err.find("message dropped"), std::string::npos) << err;
}

TEST(ClientTool, FailuresShowInTheExitStatus) {
  struct Case {
    const char* arguments;
    int status;
  };
  const Case cases[] = {
      {"--send close", 1},             // no sensor to hear it
      {"--count 1 --timeout 0.2", 1},  // fewer messages than asked for
      {"--timeout 0.2", 0},            // a plain listening session
      {"--send club", 2},              // usage errors
      {"--count -1", 2},
      {"--bogus", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    ClientProcess client(c.arguments);
    EXPECT_EQ(client.Finish(), c.status);
  }
  // The endpoint belongs to whoever holds it first.
  platform::MessageEndpoint holder;
  ASSERT_TRUE(holder.Open(clientlink::kClientWindow));
  ClientProcess second("--timeout 5");
  EXPECT_EQ(second.Finish(), 2);
}

TEST(ClientOptions, SendsAloneEndAfterSending) {
  const char* argv[] = {"kestrix-client", "--send", "club", "-1", "--send", "status"};
  clienttool::ClientOptions options;
  ASSERT_TRUE(clienttool::ParseClientOptions(6, argv, &options));
  ASSERT_EQ(options.sends.size(), 2u);
  EXPECT_EQ(options.sends[0].code, clientlink::CODE_CLUB_SELECTION);
  EXPECT_EQ(options.sends[0].lParam, -1);  // the sensor decides what an odd club code means
  EXPECT_EQ(options.sends[1].code, clientlink::CODE_STATUS_QUERY);
  EXPECT_EQ(options.count, 0);

  const char* session[] = {"kestrix-client", "--send", "close", "--timeout", "1.5"};
  ASSERT_TRUE(clienttool::ParseClientOptions(5, session, &options));
  EXPECT_EQ(options.count, -1);
  EXPECT_DOUBLE_EQ(options.timeoutSeconds, 1.5);
}

}  // namespace
