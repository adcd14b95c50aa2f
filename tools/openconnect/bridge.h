// The bridge between the sensor and the simulator, without sockets or endpoints so the tests
// can drive it on their own clock. The sensor's messages come in through OnSensorMessage, the
// simulator's answers through OnAnswer; everything going out goes through BridgeOutputs.
//
// A shot is held up to kCarryWaitSeconds for its flight path (7114 follows 7101) so the message
// can carry the distance; readiness changes that come meanwhile follow the shot, in order.
#pragma once

#include <deque>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "client_transcript.h"
#include "shot_messages.h"
#include "simulator_answer.h"

namespace openconnect {

class BridgeOutputs {
 public:
  virtual ~BridgeOutputs() = default;
  virtual bool Connected() const = 0;
  // False when the connection could not take the text.
  virtual bool SendToSimulator(const std::string& text) = 0;
  // The simulator's club choice to the sensor (7100).
  virtual void SelectClub(int clubCode) = 0;
  // What the player sees on standard output.
  virtual void Tell(const std::string& line) = 0;
  // Debug lines: something was wrong and was handled.
  virtual void Warn(const std::string& line) = 0;
  virtual void RecordShot(const nlohmann::ordered_json& line) = 0;
  virtual std::string WallTime() const = 0;
};

class Bridge {
 public:
  static constexpr double kCarryWaitSeconds = 0.2;
  // A shot the simulator has not answered by then is written to the history as unanswered.
  static constexpr double kAnswerWaitSeconds = 2.0;
  // More readiness changes than this while a shot waits are not news: the oldest go.
  static constexpr size_t kMostHeldStates = 8;

  Bridge(BridgeOutputs& outputs, double heartbeatSeconds);

  // Answers the sensor's message; returns what its sender receives. Never waits.
  int64_t OnSensorMessage(const clienttool::ReceivedMessage& message, double now);
  void OnConnected(double now);
  // Shots still waiting for an answer will not get one.
  void OnDisconnected();
  void OnAnswer(const SimulatorAnswer& answer, double now);
  // Bytes from the simulator that were no answer.
  void OnGarbage(const std::string& what);
  // Sends what is due: a shot whose flight path did not come, a heartbeat; writes unanswered
  // shots to the history.
  void Tick(double now);
  // Seconds from now until Tick has something to do (a large number when nothing waits).
  double SecondsUntilDue(double now) const;
  // The run ends: a held shot is sent as it is, every shot still open goes to the history.
  void Finish(double now);

  int ShotsNumbered() const { return lastShotNumber_; }

 private:
  struct HeldShot {
    ShotResultRecord record;
    LaunchMonitorState state;
    std::string receivedAt;
    double carryDeadline = 0.0;
  };
  struct SentShot {
    int shotNumber = 0;
    nlohmann::ordered_json history;
    double answerDeadline = 0.0;
  };

  void TakeShot(const clienttool::ReceivedMessage& message, double now);
  void TakeFlightPath(const clienttool::ReceivedMessage& message, double now);
  void ChangeReadiness(LaunchMonitorState state, double now);
  // Sends the held shot with the carry, if any, then the states held behind it.
  void SendHeld(std::optional<double> carryYards, double now);
  void SendStatus(LaunchMonitorState state, bool heartbeat, double now);
  bool Send(const nlohmann::ordered_json& message, double now);
  void TakePlayer(const SimulatorAnswer& answer);
  void CloseOldest(const char* outcome, const SimulatorAnswer* answer);
  nlohmann::ordered_json HistoryLine(const HeldShot& shot) const;

  BridgeOutputs& outputs_;
  double heartbeatSeconds_;
  LaunchMonitorState state_;
  std::optional<HeldShot> held_;
  std::deque<LaunchMonitorState> heldStates_;
  std::deque<SentShot> unanswered_;
  int lastShotNumber_ = 0;
  double lastSent_ = 0.0;
  std::string lastClub_;      // the simulator's last club choice passed on
  bool carryMissed_ = false;  // the last shot went without its flight path, which may still come
};

}  // namespace openconnect
