// The real programs together: kestrix-headless on the simulated cameras, kestrix-client as the
// golf client, each in its own sandbox of endpoints and shared block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

size_t CountContaining(const std::vector<std::string>& lines, const std::string& text) {
  size_t n = 0;
  for (const auto& line : lines) n += line.find(text) != std::string::npos ? 1 : 0;
  return n;
}

class HeadlessWithClient : public ::testing::Test {
 protected:
  test_support::TempDir dir;

  void SetUp() override {
    for (const auto& entry : fs::directory_iterator(KESTRIX_DEMO_DIR)) {
      fs::copy(entry.path(), dir.path() / entry.path().filename());
    }
    fs::copy(KESTRIX_DATA_BI, dir.path() / "data.bi");
  }

  // Runs the client in the background and the sensor for `seconds` on `script`.
  void Run(const std::string& script, double sensorSeconds, double clientSeconds,
           const std::string& clientSends = "") {
    test_support::WriteBytes(dir.File("session.txt"), script);
    std::ostringstream cmd;
    cmd << "cd '" << dir.path().string() << "' || exit 1; "
        << "export KESTRIX_ENDPOINT_DIR='" << (dir.path() / "endpoints").string() << "' "
        << "KESTRIX_SHM_NAME='/kestrix_e2e_" << ::getpid()
        << "' VARNOK_SIM_SCRIPT=session.txt; "
        // A client with commands to send starts once the sensor is up; the client owns the
        // client endpoint, so it also hears the answers.
        << "(" << (clientSends.empty() ? "" : "sleep 1.5; ") << "'" << KESTRIX_CLIENT << "' "
        << clientSends << " --timeout " << clientSeconds << " > client.jsonl 2> client.err) & "
        << "'" << KESTRIX_HEADLESS << "' --seconds " << sensorSeconds
        << " > sensor.jsonl 2> sensor.err; wait";
    ASSERT_EQ(std::system(("bash -c \"" + cmd.str() + "\"").c_str()), 0);
  }
};

TEST_F(HeadlessWithClient, TheClientHearsAreaReadyAndNotReadyAsBallsComeAndGo) {
  Run("fps 500\ncameras 2\nseed 3\nat 0.3 place rough\nat 2.5 remove\nend 6\n", 4.0, 5.0);
  const auto client = Lines(dir.File("client.jsonl"));
  const auto sensor = Lines(dir.File("sensor.jsonl"));
  // Decided silently as the rough; ready once both cameras agree, withdrawn when the ball goes.
  EXPECT_EQ(CountContaining(client, "\"code\":7102,\"clubType\":3"), 1u)
      << test_support::ReadBytes(dir.File("client.jsonl"));
  EXPECT_GE(CountContaining(client, "\"code\":7103"), 1u);
  EXPECT_EQ(CountContaining(sensor, "\"kind\":\"club\",\"clubType\":3"), 1u)
      << test_support::ReadBytes(dir.File("sensor.jsonl"));
}

TEST_F(HeadlessWithClient, StatusQueryAndCloseAreServed) {
  Run("fps 500\ncameras 2\nend 30\n", 20.0, 3.0, "--send status --send close");
  const auto client = Lines(dir.File("client.jsonl"));
  EXPECT_EQ(CountContaining(client, "\"code\":7107"), 1u)
      << test_support::ReadBytes(dir.File("client.jsonl"));
  // The close arrived long before the 20 s limit: the sensor's settings were written on the way
  // out.
  EXPECT_TRUE(fs::exists(dir.path() / "setting_top_side.ini"));
}

}  // namespace
