#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/profile.h"
#include "support/temp_dir.h"

namespace {

using platform::GetPrivateProfileStringA;
using platform::WritePrivateProfileStringA;
using test_support::ReadBytes;
using test_support::TempDir;
using test_support::WriteBytes;

struct WriteCase {
  const char* label;
  const char* before;  // nullptr: no file
  const char* section;
  const char* key;
  const char* value;
  const char* after;
};

const WriteCase kWriteCases[] = {
    {"replace in place", "[setting]\r\nexposure=1200\r\ngain=34\r\n[zigArea]\r\nx00=1\r\n",
     "setting", "gain", "40", "[setting]\r\nexposure=1200\r\ngain=40\r\n[zigArea]\r\nx00=1\r\n"},
    {"replace keeps file spelling, drops blanks, keeps second duplicate",
     "; notes\r\n[ Setting ]\r\n\tGain\t=\t7\t\r\ngain=99\r\n", "SETTING", "gain", "5",
     "; notes\r\n[ Setting ]\r\nGain=5\r\ngain=99\r\n"},
    {"replace a key without value", "[a]\r\nbare\r\nz=1\r\n", "a", "bare", "2",
     "[a]\r\nbare=2\r\nz=1\r\n"},
    {"append after last key, before blank and comment",
     "[a]\r\nx=1\r\n\r\n; about b\r\n[b]\r\ny=2\r\n", "a", "z", "3",
     "[a]\r\nx=1\r\nz=3\r\n\r\n; about b\r\n[b]\r\ny=2\r\n"},
    {"append into empty section", "[a]\r\n[b]\r\n", "A", "k", "v", "[a]\r\nk=v\r\n[b]\r\n"},
    {"append into first of duplicated sections", "[a]\r\nx=1\r\n[a]\r\ny=2\r\n", "a", "y", "3",
     "[a]\r\nx=1\r\ny=3\r\n[a]\r\ny=2\r\n"},
    {"create section at end", "[a]\r\nx=1\r\n\r\n", "b", "k", "v",
     "[a]\r\nx=1\r\n\r\n[b]\r\nk=v\r\n"},
    {"create file", nullptr, "setting", "gain", "34", "[setting]\r\ngain=34\r\n"},
    {"missing final line end", "[a]\r\nx=1", "a", "y", "2", "[a]\r\nx=1\r\ny=2\r\n"},
    {"missing final line end, new section", "[a]\r\nx=1", "b", "y", "2",
     "[a]\r\nx=1\r\n[b]\r\ny=2\r\n"},
    {"LF lines kept, written line CRLF", "[a]\nx=1\n[b]\ny=2\n", "a", "x", "5",
     "[a]\nx=5\r\n[b]\ny=2\n"},
    {"BOM kept", "\xEF\xBB\xBF[a]\r\nx=1\r\n", "a", "y", "2", "\xEF\xBB\xBF[a]\r\nx=1\r\ny=2\r\n"},
    {"value written as given", "[a]\r\n", "a", "k", " 1.500000 ", "[a]\r\nk= 1.500000 \r\n"},
    {"same value leaves file alone", "[a]\nk=1\n", "a", "k", "1", "[a]\nk=1\n"},
    {"final lone CR gets its LF, new key", "[50\r", "50", "k", "v", "[50\r\nk=v\r\n"},
    {"final lone CR gets its LF, new section", "[a]\r\nk=1\r", "b", "j", "2",
     "[a]\r\nk=1\r\n[b]\r\nj=2\r\n"},
    {"final lone CR on a replaced key", "[a]\r\nk=1\r", "a", "k", "2", "[a]\r\nk=2\r\n"},
};

TEST(ProfileWrite, Cases) {
  TempDir dir;
  const std::string path = dir.File("setting_top.ini");
  for (const WriteCase& c : kWriteCases) {
    SCOPED_TRACE(c.label);
    std::filesystem::remove(path);
    if (c.before != nullptr) WriteBytes(path, c.before);
    EXPECT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, path.c_str()));
    EXPECT_EQ(ReadBytes(path), c.after);
  }
  // No temporary file is left beside the settings file.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(ProfileWrite, WrittenValuesReadBack) {
  TempDir dir;
  const std::string path = dir.File("shot.ini");
  const char* const keys[] = {"speed", "hAngle", "vAngle", "sideSpin", "backSpin"};
  for (int round = 0; round < 2; ++round) {
    for (const char* key : keys) {
      const std::string value = std::to_string(round) + key;
      ASSERT_TRUE(WritePrivateProfileStringA("shot", key, value.c_str(), path.c_str()));
    }
  }
  for (const char* key : keys) {
    char out[64];
    GetPrivateProfileStringA("SHOT", key, "", out, sizeof out, path.c_str());
    EXPECT_EQ(std::string(out), std::string("1") + key);
  }
  EXPECT_EQ(ReadBytes(path),
            "[shot]\r\nspeed=1speed\r\nhAngle=1hAngle\r\nvAngle=1vAngle\r\n"
            "sideSpin=1sideSpin\r\nbackSpin=1backSpin\r\n");
}

// The reader takes a CR that ends the file as a line end; a write must not turn it into text of
// the line before its own.
TEST(ProfileWrite, FileEndingInALoneCrReadsBackEveryKey) {
  struct Case {
    const char* before;
    const char* section;
    const char* key;
    const char* value;
    const char* otherSection;  // nullptr: no other key to check
    const char* otherKey;
    const char* otherValue;
  };
  const Case cases[] = {
      {"[50\r", "50", "k", "v", nullptr, nullptr, nullptr},
      {"[a]\r\nk=1\r", "a", "j", "2", "a", "k", "1"},
      {"[a]\r\nk=1\r", "b", "j", "2", "a", "k", "1"},
      {"[a]\nk=1\n[b]\nx = \"q\"\r", "b", "y", "3", "b", "x", "q"},
  };
  TempDir dir;
  const std::string path = dir.File("setting_top.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    WriteBytes(path, c.before);
    ASSERT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, path.c_str()));
    char out[16];
    GetPrivateProfileStringA(c.section, c.key, "missing", out, sizeof out, path.c_str());
    EXPECT_STREQ(out, c.value);
    if (c.otherSection == nullptr) continue;
    GetPrivateProfileStringA(c.otherSection, c.otherKey, "missing", out, sizeof out, path.c_str());
    EXPECT_STREQ(out, c.otherValue);
  }
}

TEST(ProfileWrite, RefusesEntriesThatWouldBreakTheFile) {
  TempDir dir;
  const std::string path = dir.File("a.ini");
  const std::string before = "[a]\r\nk=1\r\n";
  WriteBytes(path, before);
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "1\r\n[evil]", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k=x", "1", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("a]b", "k", "1", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("a", "  ", "1", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k", nullptr, path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "1", path.c_str()));
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "1", nullptr));
  EXPECT_EQ(ReadBytes(path), before);
}

TEST(ProfileWrite, UnwritablePlacesFailWithoutHarm) {
  TempDir dir;
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "1", dir.File("no_such_dir/a.ini").c_str()));
  const std::string sub = dir.File("sub");
  std::filesystem::create_directory(sub);
  EXPECT_FALSE(WritePrivateProfileStringA("a", "k", "1", sub.c_str()));
  EXPECT_TRUE(std::filesystem::is_directory(sub));
}

TEST(ProfileWrite, KeepsFileMode) {
  TempDir dir;
  const std::string path = dir.File("pass.ini");
  WriteBytes(path, "[a]\r\n");
  ::chmod(path.c_str(), 0600);
  ASSERT_TRUE(WritePrivateProfileStringA("a", "k", "1", path.c_str()));
  struct stat info {};
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Read-modify-write from several threads must not lose a key.
TEST(ProfileWrite, ConcurrentWritersLoseNothing) {
  TempDir dir;
  const std::string path = dir.File("setting_top.ini");
  constexpr int kThreads = 4;
  constexpr int kKeys = 25;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t) {
    writers.emplace_back([&path, t] {
      for (int k = 0; k < kKeys; ++k) {
        const std::string key = "k" + std::to_string(t) + "_" + std::to_string(k);
        WritePrivateProfileStringA("s", key.c_str(), key.c_str(), path.c_str());
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  for (int t = 0; t < kThreads; ++t) {
    for (int k = 0; k < kKeys; ++k) {
      const std::string key = "k" + std::to_string(t) + "_" + std::to_string(k);
      char out[32];
      GetPrivateProfileStringA("s", key.c_str(), "lost", out, sizeof out, path.c_str());
      EXPECT_EQ(std::string(out), key);
    }
  }
}

}  // namespace
