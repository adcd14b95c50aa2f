// kestrix-client: the reference golf client. It owns the client endpoint, maps the shared block
// as soon as the sensor has made it, prints every message it receives as one JSON line and can
// send the sensor the client's codes; a run that only sends does not own the endpoint.
#include <time.h>

#include <cstdio>
#include <string>

#include "client_endpoint.h"
#include "client_options.h"
#include "clientlink/client_link.h"
#include "platform/monotonic_time.h"
#include "stop_signals.h"

namespace {

constexpr const char* kProgram = "kestrix-client";
constexpr int kBlockPollMs = 100;
constexpr double kSensorWaitSeconds = 5.0;

struct Session {
  long printed = 0;
  long shotResults = 0;
  long stallMs = 0;
  long stallShot = 1;
};

// Sleeps like a hung client, but a stop request still ends the run.
void Stall(long ms) {
  const double until = platform::MonotonicSeconds() + static_cast<double>(ms) / 1000.0;
  for (double left = until - platform::MonotonicSeconds();
       left > 0.0 && !clienttool::StopRequested(); left = until - platform::MonotonicSeconds()) {
    const double slice = left < 0.1 ? left : 0.1;
    const timespec pause{0, static_cast<long>(slice * 1e9)};
    nanosleep(&pause, nullptr);
  }
}

int64_t Print(const clienttool::ReceivedMessage& message, void* context) {
  auto* session = static_cast<Session*>(context);
  const std::string line = clienttool::FormatTranscriptLine(message);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
  session->printed++;
  // The line is out before the hang, so a watcher knows the sensor is now waiting for the answer.
  if (message.code == clientlink::CODE_SHOT_RESULT &&
      ++session->shotResults == session->stallShot && session->stallMs > 0) {
    Stall(session->stallMs);
  }
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  clienttool::ClientOptions options;
  if (!clienttool::ParseClientOptions(argc, argv, &options)) {
    clienttool::PrintClientUsage();
    return 2;
  }
  if (options.help) {
    clienttool::PrintClientUsage();
    return 0;
  }
  clienttool::InstallStopSignals();

  // A run that prints nothing leaves the endpoint alone, so codes can be sent beside a client
  // that listens; the sensor's answers reach that one.
  const bool listens = options.count != 0;
  clienttool::ClientEndpoint endpoint;
  if (listens && !endpoint.Open(kProgram, " (--send alone needs no endpoint)")) return 2;
  Session session;
  session.stallMs = options.stallMs;
  session.stallShot = options.stallShot;

  // The timeout covers the whole run, sends included.
  const double deadline =
      options.timeoutSeconds >= 0.0 ? platform::MonotonicSeconds() + options.timeoutSeconds : -1.0;
  int status = 0;
  for (const clienttool::OutgoingCode& send : options.sends) {
    // A sensor that is still starting is waited for, within the timeout (or a few seconds).
    const double sendDeadline =
        deadline >= 0.0 ? deadline : platform::MonotonicSeconds() + kSensorWaitSeconds;
    if (!clienttool::SendCodeToSensor(kProgram, send.code, send.lParam, sendDeadline)) {
      status = 1;
    }
  }

  while (!clienttool::StopRequested() && (options.count < 0 || session.printed < options.count)) {
    int waitMs = kBlockPollMs;
    if (deadline >= 0.0) {
      const double left = deadline - platform::MonotonicSeconds();
      if (left <= 0.0) {
        if (options.count >= 0) status = 1;  // fewer messages than asked for
        break;
      }
      if (left * 1000.0 < waitMs) waitMs = static_cast<int>(left * 1000.0) + 1;
    }
    endpoint.ServeOnce(waitMs, Print, &session);
  }
  return status;
}
