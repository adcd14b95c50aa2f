// The real programs together: kestrix-headless on the simulated cameras, kestrix-client as the
// golf client, each in its own sandbox of endpoints and shared block.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/program_bay.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The bay gives each test its installation directory, endpoints and shared block, which the
// programs below inherit, and removes them when the test ends.
class HeadlessWithClient : public test_support::ProgramBay {
 protected:
  // Runs the sensor on `script` with a golf client beside it. The client prints what it hears
  // until it has `messages` lines, then asks the sensor to close; `clientArgs` may add commands.
  // The cameras run at a modest paced rate so that sanitizer builds keep up with them.
  void Run(const std::string& script, int messages, const std::string& clientArgs = "") {
    test_support::WriteBytes(dir.File("session.txt"), script);
    std::ostringstream cmd;
    cmd << "cd '" << dir.path().string() << "' || exit 1; "
        << "('" << KESTRIX_CLIENT << "' " << clientArgs << " --count " << messages
        << " --timeout 120 > client.jsonl 2> client.err; '" << KESTRIX_CLIENT
        << "' --send close --timeout 10 >> client.err 2>&1) & sleep 0.5; "
        << "'" << KESTRIX_HEADLESS << "' --seconds 150 > sensor.jsonl 2> sensor.err; "
        << "echo \\$? > sensor.status; wait";
    ASSERT_EQ(std::system(("bash -c \"" + cmd.str() + "\"").c_str()), 0);
    // A clean exit; a sanitizer report would make it non-zero.
    EXPECT_EQ(test_support::ReadBytes(dir.File("sensor.status")), "0\n")
        << test_support::ReadBytes(dir.File("sensor.err"));
  }
};

TEST_F(HeadlessWithClient, TheClientHearsAreasReadyAndNotReadyAsBallsComeAndGo) {
  // The watch classifies after 101 frames of an empty mat, so the balls come later than that even
  // on a slow build. Two balls: the areas are reported, nothing decided. With the bunker ball gone
  // the rough is decided silently, ready once both cameras agree, and withdrawn when that ball goes
  // too.
  Run("fps 200\ncameras 2\nseed 3\nat 3.0 place rough\nat 3.0 place bunker\n"
      "at 9.0 remove bunker\nat 15.0 remove\n",
      3);
  const auto client = Lines("client.jsonl");
  ASSERT_EQ(client.size(), 3u) << test_support::ReadBytes(dir.File("client.err"));
  EXPECT_EQ(client[0], "{\"code\":7113,\"areas\":[0,0,0,1,1]}");
  EXPECT_EQ(client[1], "{\"code\":7102,\"clubType\":3}");
  EXPECT_EQ(client[2], "{\"code\":7103}");
  EXPECT_EQ(Count("sensor.jsonl", "\"kind\":\"club\",\"clubType\":3"), 1u)
      << test_support::ReadBytes(dir.File("sensor.jsonl"));
}

TEST_F(HeadlessWithClient, TheStatusQueryIsAnsweredAndTheClientCanCloseTheSensor) {
  Run("fps 200\ncameras 2\n", 1, "--send status");
  const auto client = Lines("client.jsonl");
  ASSERT_EQ(client.size(), 1u) << test_support::ReadBytes(dir.File("client.err"));
  EXPECT_EQ(client[0], "{\"code\":7107}");
  // The close ended the sensor by its shutdown, which writes both settings files.
  EXPECT_TRUE(fs::exists(dir.path() / "setting_top_side.ini"));
}

}  // namespace
