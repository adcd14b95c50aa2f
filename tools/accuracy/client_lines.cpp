#include "client_lines.h"

namespace accuracy {

std::optional<ClientMessage> ParseClientLine(const std::string& line) {
  nlohmann::ordered_json object = nlohmann::ordered_json::parse(line, nullptr, false);
  if (!object.is_object()) return std::nullopt;
  const auto code = object.find("code");
  if (code == object.end() || !code->is_number_integer()) return std::nullopt;
  ClientMessage message;
  message.code = code->get<int>();
  object.erase("code");
  message.fields = std::move(object);
  return message;
}

}  // namespace accuracy
