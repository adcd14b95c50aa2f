// What the sensor program's environment adds to the tool's own. The windowed kestrix-sensor
// needs somewhere to draw: without a display it draws offscreen, which kestrix-headless ignores.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace accuracy {

// NAME=value entries for the sensor alone, given how the tool's environment reads (lookup returns
// null for a variable that is not set; an empty value counts as not set).
std::vector<std::string> SensorEnvironment(const std::function<const char*(const char*)>& lookup);

}  // namespace accuracy
