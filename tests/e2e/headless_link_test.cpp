// kestrix-headless started beside another live sensor: it says that the golf client cannot reach
// it, keeps trying, and ends with an exit status that tells.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string>

#include "platform/message_endpoint.h"
#include "support/temp_dir.h"

namespace {

TEST(HeadlessClientLink, ALinkHeldByAnotherSensorIsSaidAndEndsWithStatusThree) {
  test_support::TempDir dir;
  const std::string endpoints = (dir.path() / "endpoints").string();
  ::setenv("KESTRIX_ENDPOINT_DIR", endpoints.c_str(), 1);
  platform::MessageEndpoint otherSensor;
  ASSERT_TRUE(otherSensor.Open("VarnokGolfV"));

  test_support::WriteBytes(dir.File("session.txt"), "fps free\ncameras 2\n");
  const std::string cmd =
      "cd '" + dir.path().string() +
      "' && KESTRIX_SHM_NAME=/kestrix_link_e2e_$$ VARNOK_SIM_SCRIPT=session.txt '" +
      KESTRIX_HEADLESS +
      "' --seconds 3.5 > sensor.jsonl 2> sensor.err; s=$?; rm -f /dev/shm/kestrix_link_e2e_$$; "
      "exit $s";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 3);
  const std::string err = test_support::ReadBytes(dir.File("sensor.err"));
  EXPECT_NE(err.find("another sensor holds the client link"), std::string::npos) << err;
  EXPECT_NE(err.find("is still held by another sensor"), std::string::npos)
      << "retried with the tick: " << err;
  ::unsetenv("KESTRIX_ENDPOINT_DIR");
}

}  // namespace
