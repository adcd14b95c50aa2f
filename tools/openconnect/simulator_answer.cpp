#include "simulator_answer.h"

#include <cctype>
#include <cstdlib>

namespace openconnect {

namespace {

constexpr int kShotReceived = 200;
constexpr int kPlayerInformation = 201;

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

// The code as a number or as a numeric string: both are seen from simulators.
std::optional<int> CodeOf(const nlohmann::ordered_json& answer) {
  const auto code = answer.find("Code");
  if (code == answer.end()) return std::nullopt;
  if (code->is_number_integer()) {
    const auto value = code->get<long long>();
    if (value >= 0 && value < 1000) return static_cast<int>(value);
    return std::nullopt;
  }
  if (code->is_string()) {
    const std::string& text = code->get_ref<const std::string&>();
    if (text.size() == 3 && std::isdigit(static_cast<unsigned char>(text[0])) &&
        std::isdigit(static_cast<unsigned char>(text[1])) &&
        std::isdigit(static_cast<unsigned char>(text[2]))) {
      return std::atoi(text.c_str());
    }
  }
  return std::nullopt;
}

std::string StringField(const nlohmann::ordered_json& object, const char* key) {
  const auto field = object.find(key);
  return field != object.end() && field->is_string() ? field->get<std::string>() : std::string();
}

// "W3", "3W", "H4", "4H", "3WOOD" and the like.
bool WoodOrHybrid(const std::string& club) {
  const bool kind = club.find('W') != std::string::npos || club.find('H') != std::string::npos;
  bool digit = false;
  for (char c : club) {
    if (std::isdigit(static_cast<unsigned char>(c))) digit = true;
  }
  return kind && digit && club.find('I') == std::string::npos;
}

// Enough of a bad answer to recognise it in a debug line, printable bytes only.
std::string Excerpt(const std::string& text) {
  constexpr size_t kShown = 60;
  std::string shown;
  for (size_t i = 0; i < text.size() && i < kShown; ++i) {
    const char c = text[i];
    shown += c >= ' ' && c < 127 ? c : '?';
  }
  return text.size() > kShown ? shown + "..." : shown;
}

}  // namespace

SimulatorAnswer ReadAnswer(const std::string& text) {
  SimulatorAnswer answer;
  auto json = nlohmann::ordered_json::parse(text, nullptr, false);
  if (json.is_discarded() || !json.is_object()) {
    answer.problem = "not a JSON object: " + Excerpt(text);
    return answer;
  }
  const std::optional<int> code = CodeOf(json);
  answer.json = std::move(json);
  if (!code) {
    answer.problem = "no Code of three digits: " + Excerpt(text);
    return answer;
  }
  answer.code = *code;
  answer.message = StringField(answer.json, "Message");
  if (answer.code == kShotReceived) {
    answer.kind = SimulatorAnswer::Kind::kShotReceived;
  } else if (answer.code == kPlayerInformation) {
    answer.kind = SimulatorAnswer::Kind::kPlayer;
    const auto player = answer.json.find("Player");
    if (player != answer.json.end() && player->is_object()) {
      answer.club = StringField(*player, "Club");
      answer.handed = StringField(*player, "Handed");
    }
  } else if (answer.code >= 500 && answer.code <= 599) {
    answer.kind = SimulatorAnswer::Kind::kRefused;
  } else {
    answer.kind = SimulatorAnswer::Kind::kOther;
  }
  return answer;
}

std::optional<int> ClubCodeFor(const std::string& club) {
  const std::string name = Upper(club);
  if (name == "DR") return 0;
  if (name.size() == 2 && name[0] == 'I' && name[1] >= '1' && name[1] <= '9') return name[1] - '0';
  if (name == "PW") return 10;
  if (name == "GW" || name == "SW" || name == "LW" || name == "AW") return 11;
  if (name == "PT") return 12;
  // The sensor knows the driver, the irons and the putter; a fairway wood or hybrid is hit off
  // the mat like a long iron.
  if (WoodOrHybrid(name)) return 1;
  return std::nullopt;
}

std::string HandedInWords(const std::string& handed) {
  if (handed == "RH") return "right-handed";
  if (handed == "LH") return "left-handed";
  return handed;
}

}  // namespace openconnect
