#include "sensor_environment.h"

namespace accuracy {

std::vector<std::string> SensorEnvironment(const std::function<const char*(const char*)>& lookup) {
  const auto set = [&lookup](const char* name) {
    const char* value = lookup(name);
    return value != nullptr && *value != '\0';
  };
  // Whoever chose a platform, or has a display, keeps it.
  if (set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM")) return {};
  return {"QT_QPA_PLATFORM=offscreen"};
}

}  // namespace accuracy
