// Numbers and words out of the JSON lines the programs print, which may miss a field or carry
// null where a value was not finite.
#pragma once

#include <limits>
#include <nlohmann/json.hpp>
#include <string>

namespace accuracy {

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

inline double NumberField(const nlohmann::ordered_json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_number() ? it->get<double>() : kNoValue;
}

inline std::string TextField(const nlohmann::ordered_json& object, const char* key) {
  const auto it = object.find(key);
  return it != object.end() && it->is_string() ? it->get<std::string>() : std::string();
}

}  // namespace accuracy
