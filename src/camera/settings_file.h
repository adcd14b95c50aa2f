// Typed access to one profile file: numbers go through text both ways, as the settings format
// stores them, and a broken value reads as the C runtime would read it.
#pragma once

#include <cstdint>
#include <string>

class SettingsFile {
 public:
  explicit SettingsFile(std::string path) : path_(std::move(path)) {}

  int32_t ReadInt(const char* section, const char* key, const char* defaultText) const;
  float ReadFloat(const char* section, const char* key, const char* defaultText) const;
  void WriteInt(const char* section, const char* key, int32_t value) const;
  void WriteFloat(const char* section, const char* key, float value) const;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
};
