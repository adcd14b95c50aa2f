#include "camera/settings_file.h"

#include <cstdio>

#include "platform/profile.h"
#include "platform/text_numbers.h"

namespace {
constexpr uint32_t kValueBufferSize = 256;
}

int32_t SettingsFile::ReadInt(const char* section, const char* key, const char* defaultText) const {
  char text[kValueBufferSize];
  platform::GetPrivateProfileStringA(section, key, defaultText, text, sizeof text, path_.c_str());
  return platform::TextToInt(text);
}

float SettingsFile::ReadFloat(const char* section, const char* key, const char* defaultText) const {
  char text[kValueBufferSize];
  platform::GetPrivateProfileStringA(section, key, defaultText, text, sizeof text, path_.c_str());
  return static_cast<float>(platform::TextToDouble(text));
}

void SettingsFile::WriteInt(const char* section, const char* key, int32_t value) const {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  platform::WritePrivateProfileStringA(section, key, text, path_.c_str());
}

void SettingsFile::WriteFloat(const char* section, const char* key, float value) const {
  char text[kValueBufferSize];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  platform::WritePrivateProfileStringA(section, key, text, path_.c_str());
}
