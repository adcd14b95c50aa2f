// The component reads its session from the script that VARNOK_SIM_SCRIPT names, on first use.
// One test per process: the session is built once.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "VarnokV2.h"

TEST(VarnokEnvironment, SessionComesFromTheScriptTheEnvironmentNames) {
  const auto path = std::filesystem::temp_directory_path() / "varnok_env_test_script.txt";
  std::ofstream(path) << "# two cameras, the other way round\ncameras swap\nfps free\n";
  ASSERT_EQ(setenv("VARNOK_SIM_SCRIPT", path.c_str(), 1), 0);
  ASSERT_EQ(VarnokGetNumOfConnectedCameras(), 2);
  VarnokCameraProperty p;
  ASSERT_EQ(VarnokGetCameraProperty(&p, 0), 0);
  EXPECT_STREQ(p.name, "ZWO ASI136MC-B");
  std::filesystem::remove(path);
}
