// What kestrix-client prints: one JSON object per message from the sensor, {"code":7101,...}.
#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace accuracy {

struct ClientMessage {
  int code = 0;
  nlohmann::ordered_json fields;  // every field but "code"
};

// Nothing for a line that is not such an object.
std::optional<ClientMessage> ParseClientLine(const std::string& line);

}  // namespace accuracy
