// kestrix-headless started beside another live sensor: it says that the golf client cannot reach
// it, keeps trying, and ends with an exit status that tells.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>

#include "platform/message_endpoint.h"
#include "support/program_bay.h"
#include "support/temp_dir.h"

namespace {

// The bay gives the test its directory, endpoints and shared block, and removes them at its end.
using HeadlessClientLink = test_support::ProgramBay;

TEST_F(HeadlessClientLink, ALinkHeldByAnotherSensorIsSaidAndEndsWithStatusThree) {
  platform::MessageEndpoint otherSensor;
  ASSERT_TRUE(otherSensor.Open("VarnokGolfV"));

  test_support::WriteBytes(dir.File("session.txt"), "fps free\ncameras 2\n");
  const std::string cmd = "cd '" + dir.path().string() + "' && '" + KESTRIX_HEADLESS +
                          "' --seconds 3.5 > sensor.jsonl 2> sensor.err";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string err = test_support::ReadBytes(dir.File("sensor.err"));
  EXPECT_NE(err.find("another sensor holds the client link"), std::string::npos) << err;
  EXPECT_NE(err.find("is still held by another sensor"), std::string::npos)
      << "retried with the tick: " << err;
}

}  // namespace
