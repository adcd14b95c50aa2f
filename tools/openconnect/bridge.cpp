#include "bridge.h"

#include <algorithm>
#include <cstdio>

#include "clientlink/client_link.h"

namespace openconnect {

namespace {

constexpr double kNothingDue = 3600.0;

std::string ShotLine(int shotNumber, const nlohmann::ordered_json& ball) {
  char text[200];
  std::snprintf(text, sizeof text,
                "shot %d sent: %.1f mph, HLA %.1f, VLA %.1f, back spin %.0f, side spin %.0f rpm",
                shotNumber, ball["Speed"].get<double>(), ball["HLA"].get<double>(),
                ball["VLA"].get<double>(), ball["BackSpin"].get<double>(),
                ball["SideSpin"].get<double>());
  std::string line = text;
  if (ball.contains("CarryDistance")) {
    std::snprintf(text, sizeof text, ", carry %.1f yd", ball["CarryDistance"].get<double>());
    line += text;
  }
  return line;
}

}  // namespace

Bridge::Bridge(BridgeOutputs& outputs, double heartbeatSeconds)
    : outputs_(outputs), heartbeatSeconds_(heartbeatSeconds) {}

int64_t Bridge::OnSensorMessage(const clienttool::ReceivedMessage& message, double now) {
  switch (message.code) {
    case clientlink::CODE_SHOT_RESULT:
      TakeShot(message, now);
      break;
    case clientlink::CODE_FLIGHT_PATH:
      TakeFlightPath(message, now);
      break;
    case clientlink::CODE_BALL_READY:
      ChangeReadiness({true, true}, now);
      break;
    case clientlink::CODE_BALL_NOT_READY:
      ChangeReadiness({false, false}, now);
      break;
    default:
      break;
  }
  return 1;
}

nlohmann::ordered_json Bridge::HistoryLine(const HeldShot& shot) const {
  nlohmann::ordered_json line;
  line["received"] = shot.receivedAt;
  line["shotNumber"] = nullptr;
  line["outcome"] = "";
  line["sensor"] = SensorShot(shot.record);
  line["sent"] = nullptr;
  line["answer"] = nullptr;
  return line;
}

void Bridge::TakeShot(const clienttool::ReceivedMessage& message, double now) {
  // One shot at a time: a shot still waiting for its flight path goes as it is.
  if (held_) SendHeld(std::nullopt, now);
  HeldShot shot;
  shot.receivedAt = outputs_.WallTime();
  if (!message.hasPayload) {
    outputs_.Warn("a shot result came before the shared block could be opened; not sent");
    nlohmann::ordered_json line = HistoryLine(shot);
    line["sensor"] = nullptr;
    line["outcome"] = "not sent: no shared block";
    outputs_.RecordShot(line);
    return;
  }
  shot.record = clienttool::PayloadAs<ShotResultRecord>(message);
  const std::string refusal = ShotRefusal(shot.record);
  if (!refusal.empty()) {
    outputs_.Warn("the sensor's record cannot be a shot (" + refusal + "); not sent");
    nlohmann::ordered_json line = HistoryLine(shot);
    line["outcome"] = "not sent: " + refusal;
    outputs_.RecordShot(line);
    return;
  }
  shot.state = state_;
  shot.carryDeadline = now + kCarryWaitSeconds;
  held_ = shot;
  // A putt has no flight path to wait for.
  if (shot.record.m_clubType == kPutterClubType) SendHeld(std::nullopt, now);
}

void Bridge::TakeFlightPath(const clienttool::ReceivedMessage& message, double now) {
  if (!held_) {
    if (carryMissed_) {
      outputs_.Warn("a flight path came more than 200 ms after its shot, which went without it");
    }
    carryMissed_ = false;
    return;
  }
  std::optional<double> carry;
  if (message.hasPayload) {
    carry =
        CarryYards(clienttool::PayloadAs<clientlink::FlightPathRecord>(message), message.lParam);
  }
  SendHeld(carry, now);
}

void Bridge::ChangeReadiness(LaunchMonitorState state, double now) {
  if (state.ready == state_.ready && state.ballDetected == state_.ballDetected) return;
  state_ = state;
  if (!held_) {
    SendStatus(state, false, now);
    return;
  }
  if (heldStates_.size() == kMostHeldStates) heldStates_.pop_front();
  heldStates_.push_back(state);
}

void Bridge::SendHeld(std::optional<double> carryYards, double now) {
  const HeldShot shot = *held_;
  held_.reset();
  const int shotNumber = ++lastShotNumber_;
  const nlohmann::ordered_json ball = BallData(shot.record, carryYards);
  const nlohmann::ordered_json message = ShotMessage(shotNumber, ball, shot.state);
  nlohmann::ordered_json line = HistoryLine(shot);
  line["shotNumber"] = shotNumber;
  line["sent"] = message;
  if (!outputs_.Connected()) {
    // Never sent later: a stale shot must not be played.
    line["sent"] = nullptr;
    line["outcome"] = "not sent: no simulator connected";
    outputs_.Warn("shot " + std::to_string(shotNumber) +
                  " not sent: no simulator connected (kept in the history)");
    outputs_.RecordShot(line);
  } else if (!Send(message, now)) {
    line["outcome"] = "not sent: the connection failed";
    outputs_.Warn("shot " + std::to_string(shotNumber) +
                  " not sent: the connection failed (kept in the history)");
    outputs_.RecordShot(line);
  } else {
    outputs_.Tell(ShotLine(shotNumber, ball));
    unanswered_.push_back({shotNumber, line, now + kAnswerWaitSeconds});
  }
  for (const LaunchMonitorState& state : heldStates_) SendStatus(state, false, now);
  heldStates_.clear();
}

void Bridge::SendStatus(LaunchMonitorState state, bool heartbeat, double now) {
  if (outputs_.Connected()) Send(StatusMessage(lastShotNumber_, state, heartbeat), now);
}

bool Bridge::Send(const nlohmann::ordered_json& message, double now) {
  if (!outputs_.SendToSimulator(message.dump())) return false;
  lastSent_ = now;
  return true;
}

void Bridge::OnConnected(double now) {
  lastSent_ = now;
  SendStatus(state_, false, now);
}

void Bridge::OnDisconnected() {
  while (!unanswered_.empty()) CloseOldest("no answer: the connection was lost", nullptr);
}

void Bridge::OnAnswer(const SimulatorAnswer& answer, double) {
  switch (answer.kind) {
    case SimulatorAnswer::Kind::kShotReceived:
      // Simulators may answer a status message too; with no shot waiting that is no news.
      if (!unanswered_.empty()) CloseOldest("received", &answer);
      break;
    case SimulatorAnswer::Kind::kRefused:
      if (unanswered_.empty()) {
        outputs_.Warn("the simulator says " + std::to_string(answer.code) + ": " + answer.message);
      } else {
        outputs_.Warn("the simulator refused shot " +
                      std::to_string(unanswered_.front().shotNumber) + ": " +
                      std::to_string(answer.code) + " " + answer.message);
        CloseOldest("refused", &answer);
      }
      break;
    case SimulatorAnswer::Kind::kPlayer:
      TakePlayer(answer);
      break;
    case SimulatorAnswer::Kind::kOther:
      outputs_.Warn("an answer with code " + std::to_string(answer.code) +
                    " is not understood; ignored: " + answer.message);
      break;
    case SimulatorAnswer::Kind::kUnreadable:
      OnGarbage("an answer that cannot be read (" + answer.problem + ")");
      break;
  }
}

void Bridge::OnGarbage(const std::string& what) {
  outputs_.Warn("from the simulator: " + what + "; ignored");
}

void Bridge::TakePlayer(const SimulatorAnswer& answer) {
  std::string line = "player";
  if (!answer.handed.empty()) line += " " + HandedInWords(answer.handed);
  if (!answer.club.empty()) line += ", club " + answer.club;
  if (answer.club.empty()) {
    outputs_.Tell(line);
    return;
  }
  const std::optional<int> code = ClubCodeFor(answer.club);
  if (!code) {
    outputs_.Tell(line);
    outputs_.Warn("the club \"" + answer.club +
                  "\" is not one the sensor knows; its club selection stays");
    return;
  }
  // The simulator repeats the player's information after shots; selecting the same club again
  // would restart the sensor's ball watch under a ball being put down.
  if (answer.club != lastClub_) {
    outputs_.SelectClub(*code);
    lastClub_ = answer.club;
    line += " -> the sensor's club " + std::to_string(*code);
  }
  outputs_.Tell(line);
}

void Bridge::CloseOldest(const char* outcome, const SimulatorAnswer* answer) {
  nlohmann::ordered_json line = std::move(unanswered_.front().history);
  unanswered_.pop_front();
  line["outcome"] = outcome;
  if (answer != nullptr) line["answer"] = answer->json;
  outputs_.RecordShot(line);
}

void Bridge::Tick(double now) {
  if (held_ && now >= held_->carryDeadline) {
    carryMissed_ = true;
    SendHeld(std::nullopt, now);
  }
  while (!unanswered_.empty() && unanswered_.front().answerDeadline <= now) {
    CloseOldest("no answer", nullptr);
  }
  if (heartbeatSeconds_ > 0.0 && outputs_.Connected() && now - lastSent_ >= heartbeatSeconds_) {
    SendStatus(state_, true, now);
  }
}

double Bridge::SecondsUntilDue(double now) const {
  double due = kNothingDue;
  if (held_) due = std::min(due, held_->carryDeadline - now);
  if (!unanswered_.empty()) due = std::min(due, unanswered_.front().answerDeadline - now);
  if (heartbeatSeconds_ > 0.0 && outputs_.Connected()) {
    due = std::min(due, lastSent_ + heartbeatSeconds_ - now);
  }
  return due < 0.0 ? 0.0 : due;
}

void Bridge::Finish(double now) {
  if (held_) SendHeld(std::nullopt, now);
  while (!unanswered_.empty()) CloseOldest("no answer: the bridge ended", nullptr);
}

}  // namespace openconnect
