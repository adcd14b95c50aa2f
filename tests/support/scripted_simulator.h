// A golf simulator's Open Connect side for tests: listens on a free local port, reads the
// launch monitor's messages as a stream of JSON objects and answers each shot as the test
// scripted it: whole, split into pieces, several at once, not at all; it can close the
// connection, stop listening and come back, or never read.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <vector>

#include "json_object_stream.h"

namespace test_support {

class ScriptedSimulator {
 public:
  // Written as one answer per piece, with a pause between pieces.
  using Answer = std::vector<std::string>;

  static std::string Received200() {
    return R"({"Code":200,"Message":"Shot received successfully"})";
  }
  static std::string Player(const std::string& club, const std::string& handed = "RH") {
    return R"({"Code":201,"Message":"GSPro Player Information","Player":{"Handed":")" + handed +
           R"(","Club":")" + club + R"(","DistanceToTarget":250}})";
  }

  ScriptedSimulator();
  ~ScriptedSimulator();
  ScriptedSimulator(const ScriptedSimulator&) = delete;
  ScriptedSimulator& operator=(const ScriptedSimulator&) = delete;

  int Port() const { return port_; }

  // The answers to the coming shots, one per shot in order; shots after them get the default.
  void ScriptAnswers(std::vector<Answer> answers);
  // What a shot gets once the script has run out: a 200 unless changed; empty: nothing.
  void SetDefaultAnswer(Answer answer);
  // Writes the bytes to the launch monitor now.
  void Write(const std::string& bytes);
  // Closes the connection and stops listening: the simulator has gone.
  void GoAway();
  // Listens again on the same port.
  void ComeBack();
  // Takes the coming connections but never reads from them; called before they come.
  void StopReading();

  // Every message received, in order, and the connections taken so far.
  std::vector<nlohmann::json> Messages() const;
  std::vector<nlohmann::json> Shots() const;
  int Connections() const;
  // Waits until done() holds for the messages; false when the time ran out.
  bool WaitFor(const std::function<bool(const std::vector<nlohmann::json>&)>& done,
               double seconds) const;

 private:
  void Run();
  // The steps of the thread, with the mutex held.
  void Listen();
  void CloseAll();
  void Accept();
  void ReadConnection();
  void Take(const nlohmann::json& message);
  void WriteDue();
  void Wake();

  mutable std::mutex mutex_;
  mutable std::condition_variable changed_;
  std::thread thread_;
  bool stop_ = false;
  int port_ = 0;
  int listenFd_ = -1;
  int connectionFd_ = -1;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  bool reading_ = true;
  int connections_ = 0;
  std::deque<Answer> script_;
  Answer defaultAnswer_;
  std::deque<std::pair<std::chrono::steady_clock::time_point, std::string>> toWrite_;
  std::vector<nlohmann::json> messages_;
  openconnect::JsonObjectStream stream_;
  bool goAway_ = false;
  bool comeBack_ = false;
};

}  // namespace test_support
