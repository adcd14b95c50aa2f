#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;
using test_support::TempDir;
using test_support::WriteBytes;

// Random bytes weighted towards the characters the parser cares about.
std::string JunkFile(std::mt19937& random) {
  static const char kSpecial[] = "[]=;#\"' \t\r\nak\xEF\xBB\xBF";
  std::uniform_int_distribution<int> length(0, 400);
  std::uniform_int_distribution<int> coin(0, 1);
  std::uniform_int_distribution<int> special(0, sizeof kSpecial - 2);
  std::uniform_int_distribution<int> byte(0, 255);
  std::string bytes(static_cast<size_t>(length(random)), '\0');
  for (char& c : bytes)
    c = static_cast<char>(coin(random) ? kSpecial[special(random)] : byte(random));
  return bytes;
}

TEST(ProfileRobustness, RandomFilesReadAndWriteSafely) {
  TempDir dir;
  const std::string path = dir.File("junk.ini");
  std::mt19937 random(20261210);
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE(i);
    const std::string junk = JunkFile(random);
    WriteBytes(path, junk);
    char out[8];
    for (const char* key : {"k", "a", ""}) {
      const uint32_t copied =
          GetPrivateProfileStringA("a", key, "d", out, sizeof out, path.c_str());
      ASSERT_LT(copied, sizeof out);
      ASSERT_EQ(out[copied], '\0');
    }
    // A write into junk still reads back.
    ASSERT_TRUE(WritePrivateProfileStringA("a", "k", "value", path.c_str()));
    char back[16];
    GetPrivateProfileStringA("a", "k", "d", back, sizeof back, path.c_str());
    ASSERT_STREQ(back, "value");
  }
}

TEST(ProfileRobustness, VeryLongLinesAndZeroBytes) {
  TempDir dir;
  const std::string path = dir.File("long.ini");
  const std::string longValue(1 << 20, '7');
  std::string zeroLine = "z=1";
  zeroLine.push_back('\0');
  zeroLine += "2\r\n";
  WriteBytes(path,
             "[a]\r\nk=" + longValue + "\r\n" + zeroLine + std::string(1 << 20, '[') + "\r\ny=3");
  char out[256];
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", "", out, sizeof out, path.c_str()), 255u);
  EXPECT_EQ(std::string(out), longValue.substr(0, 255));
  EXPECT_EQ(GetPrivateProfileStringA("a", "z", "", out, sizeof out, path.c_str()), 1u);
  EXPECT_STREQ(out, "1");
}

}  // namespace
