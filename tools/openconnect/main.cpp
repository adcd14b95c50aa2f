// kestrix-openconnect: the sensor's golf client for golf-simulator software that speaks the Open
// Connect API v1. It owns the client endpoint like kestrix-client, sends every shot the sensor
// delivers to the simulator over TCP, passes the simulator's club choice back to the sensor and
// keeps a history of every shot. One thread: the sensor's messages are answered at once and the
// simulator is only ever polled, so a slow or absent simulator never holds the sensor up.

#include <cstdio>
#include <string>

#include "bridge.h"
#include "bridge_options.h"
#include "client_endpoint.h"
#include "clientlink/client_link.h"
#include "json_object_stream.h"
#include "platform/message_delivery.h"
#include "platform/monotonic_time.h"
#include "shot_history.h"
#include "simulator_connection.h"
#include "stop_signals.h"

namespace {

constexpr const char* kProgram = "kestrix-openconnect";
// How often the simulator's socket is looked at while the sensor is quiet.
constexpr int kPollMs = 10;

class Outputs : public openconnect::BridgeOutputs {
 public:
  Outputs(openconnect::SimulatorConnection& connection, openconnect::ShotHistory& history)
      : connection_(connection), history_(history) {}

  bool Connected() const override { return connection_.Connected(); }
  bool SendToSimulator(const std::string& text) override { return connection_.Send(text); }
  void SelectClub(int clubCode) override {
    // Posted: the sensor takes a while over a club change, and the loop must keep answering it.
    platform::Message message;
    message.message = clientlink::kMessage;
    message.wParam = clientlink::CODE_CLUB_SELECTION;
    message.lParam = clubCode;
    if (!platform::PostEndpointMessage(clientlink::kSensorWindow, message)) {
      std::fprintf(stderr, "%s: the sensor is not there for the club selection %d\n", kProgram,
                   clubCode);
    }
  }
  void Tell(const std::string& line) override {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
  void Warn(const std::string& line) override {
    std::fprintf(stderr, "%s: %s\n", kProgram, line.c_str());
  }
  void RecordShot(const nlohmann::ordered_json& line) override { history_.Append(line); }
  std::string WallTime() const override { return openconnect::LocalTimeText(); }

 private:
  openconnect::SimulatorConnection& connection_;
  openconnect::ShotHistory& history_;
};

// The simulator's side, fed to the bridge as answers.
class SimulatorSide : public openconnect::SimulatorConnection::Listener {
 public:
  explicit SimulatorSide(openconnect::Bridge& bridge) : bridge_(bridge) {}
  void OnConnected() override {
    stream_.Reset();
    bridge_.OnConnected(platform::MonotonicSeconds());
  }
  void OnBytes(const char* data, size_t size) override {
    for (const openconnect::StreamPiece& piece : stream_.Feed(data, size)) {
      if (piece.object) {
        bridge_.OnAnswer(openconnect::ReadAnswer(piece.text), platform::MonotonicSeconds());
      } else {
        bridge_.OnGarbage(piece.text);
      }
    }
  }
  void OnLost(const std::string&) override { bridge_.OnDisconnected(); }

 private:
  openconnect::Bridge& bridge_;
  openconnect::JsonObjectStream stream_;
};

int64_t FromSensor(const clienttool::ReceivedMessage& message, void* context) {
  return static_cast<openconnect::Bridge*>(context)->OnSensorMessage(message,
                                                                     platform::MonotonicSeconds());
}

}  // namespace

int main(int argc, char** argv) {
  openconnect::BridgeOptions options;
  if (!openconnect::ParseBridgeOptions(argc, argv, &options)) {
    openconnect::PrintBridgeUsage();
    return 2;
  }
  if (options.help) {
    openconnect::PrintBridgeUsage();
    return 0;
  }
  clienttool::InstallStopSignals();

  openconnect::ShotHistory history;
  if (!history.Open(options.history)) return 2;
  clienttool::ClientEndpoint endpoint;
  if (!endpoint.Open(kProgram)) return 2;

  openconnect::SimulatorConnection connection(options.host, options.port);
  Outputs outputs(connection, history);
  openconnect::Bridge bridge(outputs, options.heartbeatSeconds);
  SimulatorSide simulator(bridge);
  std::fprintf(stderr, "%s: the sensor's golf client, forwarding shots to %s; history in %s\n",
               kProgram, connection.Address().c_str(), options.history.c_str());

  while (!clienttool::StopRequested()) {
    const double now = platform::MonotonicSeconds();
    connection.Poll(now, simulator);
    bridge.Tick(now);
    const double due = bridge.SecondsUntilDue(platform::MonotonicSeconds());
    const int waitMs = due * 1000.0 < kPollMs ? static_cast<int>(due * 1000.0) : kPollMs;
    endpoint.ServeOnce(waitMs, FromSensor, &bridge);
  }
  bridge.Finish(platform::MonotonicSeconds());
  return 0;
}
