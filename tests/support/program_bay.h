// A bay for end-to-end tests: one installation directory per test (the demo settings, the flight
// table, a session script), the real programs started in it as separate processes, and a shared
// block and endpoint directory of the test's own, all removed when the test ends, also the
// sensors that the updater started on the test's behalf.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "support/temp_dir.h"

namespace test_support {

// Relative path inside a shot record -> the file's bytes.
using RecordFiles = std::map<std::string, std::string>;

// The values of a shot from its club code on, alike in the client's 7101 line and the sensor's
// record line, so the two can be compared; empty for any other line.
std::string ShotValues(const std::string& line);

// What the client prints for a shot result and a flight path, and what the sensor prints for a
// shot of the main camera.
inline constexpr const char* kShotResult = "\"code\":7101,";
inline constexpr const char* kFlightPath = "\"code\":7114,";
inline constexpr const char* kMainShot = "\"camera\":\"main\",\"kind\":\"shot\"";

class ProgramBay : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string File(const std::string& name) const { return dir.File(name); }
  std::filesystem::path DataDir() const { return dir.path() / "data"; }

  // The session the simulated cameras play. A sensor reads it when it first asks for its cameras,
  // so rewriting it after that changes only what a restarted sensor plays.
  void WriteScript(const std::string& text) const;
  // Puts the updater where the sensor looks for it first, as an installation has it.
  void InstallUpdater() const;

  // A program in the bay's directory; standard output to <name>.out, errors to <name>.err.
  accuracy::ChildProcess& StartProgram(const std::string& program,
                                       const std::vector<std::string>& args,
                                       const std::string& name);
  // Waits until the program holds the golf client's endpoint; false with the reason when it
  // ended or never took it.
  bool WaitForClientEndpoint(accuracy::ChildProcess& program, const std::string& name);
  // kestrix-client with the arguments; standard output to <name>.jsonl, errors to <name>.err.
  accuracy::ChildProcess& StartClient(const std::vector<std::string>& args,
                                      const std::string& name = "client");
  // kestrix-client once its endpoint takes connections, so nothing the sensor says is missed.
  accuracy::ChildProcess& StartListeningClient(const std::vector<std::string>& args,
                                               const std::string& name = "client");
  // kestrix-headless on the free-running cameras' clock unless paced, for at most 90 s; both
  // outputs are appended to sensor.jsonl and sensor.err, which a restarted sensor shares. A
  // wrapper (a program and its first arguments) runs the sensor inside it.
  accuracy::ChildProcess& StartSensor(bool paced = false,
                                      const std::vector<std::string>& wrapper = {});
  // The sensor program StartSensor runs: kestrix-headless, or the console kestrix-sensor (which
  // takes the same options and runs offscreen here).
  std::string sensorProgram = KESTRIX_HEADLESS;
  // Asks the running sensor to close as a golf client does; true once it answered.
  bool SendClose();

  // Polls until done() holds; false when the time ran out.
  static bool WaitFor(const std::function<bool()>& done, double seconds);

  std::vector<std::string> Lines(const std::string& name) const;
  // The lines of the file that hold the text, in order, and how many there are.
  std::vector<std::string> Matching(const std::string& name, const std::string& text) const;
  size_t Count(const std::string& name, const std::string& text) const;
  // What the sensor said on its standard error, the end of it only, for failure messages.
  std::string SensorLogTail() const;
  // Everything a failing expectation may want to show: the client's and sensor's words.
  std::string Transcript(const std::string& client = "client") const;

  // The shot directories whose names hold the text (a camera's "(TopMain)", an outcome), sorted.
  std::vector<std::string> Records(const std::string& text) const;
  RecordFiles ReadRecord(const std::string& record) const;
  // Every shot record as it is now, by name.
  std::map<std::string, RecordFiles> ReadRecords() const;
  // Each record of the earlier reading is still there, with the same files holding the same bytes.
  void ExpectRecordsKept(const std::map<std::string, RecordFiles>& earlier) const;

  // Sensors the updater started, by the pid it wrote to camera.txt.
  std::vector<pid_t> RestartedSensors() const;
  static bool Running(pid_t pid);

  TempDir dir;

 private:
  accuracy::ChildProcess& Start(const std::string& program, const std::vector<std::string>& args,
                                const std::string& stdoutFile, const std::string& stderrFile);

  std::vector<std::unique_ptr<accuracy::ChildProcess>> programs_;
  std::string block_;
};

}  // namespace test_support
