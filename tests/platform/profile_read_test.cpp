#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

using platform::GetPrivateProfileStringA;
using test_support::TempDir;
using test_support::WriteBytes;

// As the Windows build writes it: CRLF, key=value, no blanks.
const char kWindowsFile[] =
    "[setting]\r\nexposure=1200\r\ngain=34\r\n[zigArea]\r\nx00=12\r\ny00=-5\r\n"
    "[SpeedAdj]\r\nspeed=1.050000\r\n";

// As an installer edits it by hand.
const char kHandFile[] =
    "; installer notes\r\n"
    "orphan=1\r\n"
    "[ Setting ]\r\n"
    "  Exposure =  800 \r\n"
    "\tgain\t=\t7\t\r\n"
    "# gamma=2\r\n"
    ";gamma=9\r\n"
    "gamma = \"1.5\"\r\n"
    "name = ' spaced '\r\n"
    "half=\"open\r\n"
    "mixed='x\"\r\n"
    "url = a=b\r\n"
    "empty=\r\n"
    "bare\r\n"
    "gain=99\r\n"
    "\r\n"
    "[other]\r\n"
    "exposure=1\r\n"
    "[setting]\r\n"
    "vflip=1\r\n";

struct ReadCase {
  const char* label;
  const char* file;
  const char* section;
  const char* key;
  const char* expected;  // with default "dflt"
};

const ReadCase kReadCases[] = {
    {"windows plain", kWindowsFile, "setting", "exposure", "1200"},
    {"windows upper case names", kWindowsFile, "SETTING", "GAIN", "34"},
    {"windows negative", kWindowsFile, "zigarea", "y00", "-5"},
    {"windows float", kWindowsFile, "SpeedAdj", "speed", "1.050000"},
    {"missing key", kWindowsFile, "setting", "gamma", "dflt"},
    {"missing section", kWindowsFile, "BackSpinAdj", "spin", "dflt"},
    {"key of another section", kWindowsFile, "setting", "x00", "dflt"},
    {"hand blanks trimmed", kHandFile, "setting", "exposure", "800"},
    {"hand tabs trimmed, first duplicate wins", kHandFile, "setting", "gain", "7"},
    {"hand comments skipped, quotes dropped", kHandFile, "setting", "gamma", "1.5"},
    {"single quotes dropped, inner blanks kept", kHandFile, "setting", "name", " spaced "},
    {"unpaired quote kept", kHandFile, "setting", "half", "\"open"},
    {"mismatched quotes kept", kHandFile, "setting", "mixed", "'x\""},
    {"value holds equals", kHandFile, "setting", "url", "a=b"},
    {"empty value is a value", kHandFile, "setting", "empty", ""},
    {"key without equals reads as missing", kHandFile, "setting", "bare", "dflt"},
    {"key before any section", kHandFile, "", "orphan", "dflt"},
    {"other section", kHandFile, "other", "exposure", "1"},
    {"only the first section of a name counts", kHandFile, "setting", "vflip", "dflt"},
    {"LF file", "[a]\nk=v\nz=w\n", "a", "z", "w"},
    {"no final line end", "[a]\r\nk=v", "a", "k", "v"},
    {"UTF-8 BOM", "\xEF\xBB\xBF[a]\r\nk=v\r\n", "a", "k", "v"},
    {"section without bracket", "[a\r\nk=v\r\n", "a", "k", "v"},
    {"empty file", "", "a", "k", "dflt"},
};

TEST(ProfileRead, Cases) {
  TempDir dir;
  const std::string path = dir.File("setting_top.ini");
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.label);
    WriteBytes(path, c.file);
    char out[256] = "untouched";
    const uint32_t copied =
        GetPrivateProfileStringA(c.section, c.key, "dflt", out, sizeof out, path.c_str());
    EXPECT_STREQ(out, c.expected);
    EXPECT_EQ(copied, std::string(c.expected).size());
  }
}

TEST(ProfileRead, MissingOrUnreadableFileGivesDefault) {
  TempDir dir;
  char out[32];
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", "67", out, sizeof out, dir.File("none.ini").c_str()),
            2u);
  EXPECT_STREQ(out, "67");
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", "67", out, sizeof out, dir.path().c_str()), 2u);
  EXPECT_STREQ(out, "67");
}

TEST(ProfileRead, DefaultLosesTrailingBlanksAndNullIsEmpty) {
  TempDir dir;
  const std::string path = dir.File("none.ini");
  char out[32] = "x";
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", " 60 \t ", out, sizeof out, path.c_str()), 3u);
  EXPECT_STREQ(out, " 60");
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", nullptr, out, sizeof out, path.c_str()), 0u);
  EXPECT_STREQ(out, "");
}

TEST(ProfileRead, ValueAndDefaultAreCutToBuffer) {
  TempDir dir;
  const std::string path = dir.File("cut.ini");
  WriteBytes(path, "[a]\r\nk=123456789\r\n");
  struct CutCase {
    uint32_t size;
    const char* expected;
  };
  for (const CutCase& c : {CutCase{1, ""}, CutCase{4, "123"}, CutCase{9, "12345678"},
                           CutCase{10, "123456789"}, CutCase{64, "123456789"}}) {
    SCOPED_TRACE(c.size);
    char out[64];
    std::memset(out, '#', sizeof out);
    const uint32_t copied = GetPrivateProfileStringA("a", "k", "", out, c.size, path.c_str());
    EXPECT_STREQ(out, c.expected);
    EXPECT_EQ(copied, std::strlen(c.expected));
    if (c.size < sizeof out) {
      EXPECT_EQ(out[c.size], '#') << "wrote past the buffer";
    }
  }
  char out[4];
  EXPECT_EQ(GetPrivateProfileStringA("a", "missing", "abcdef", out, sizeof out, path.c_str()), 3u);
  EXPECT_STREQ(out, "abc");
}

TEST(ProfileRead, SizeZeroCopiesNothing) {
  TempDir dir;
  const std::string path = dir.File("cut.ini");
  WriteBytes(path, "[a]\r\nk=v\r\n");
  char out[4] = "xyz";
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", "d", out, 0, path.c_str()), 0u);
  EXPECT_STREQ(out, "xyz");
  EXPECT_EQ(GetPrivateProfileStringA("a", "k", "d", nullptr, 16, path.c_str()), 0u);
}

}  // namespace
