#include "free_run_script.h"

#include <vector>

#include "script_outline.h"

namespace accuracy {

namespace {

// The fps line made free-running with the scene held at its start until both cameras stream, so
// a sensor that opens its cameras one after the other sees the same session on both. Its rate,
// indentation, comment and line end stay.
std::string FreeRunLine(const std::string& line, const std::vector<std::string>& words) {
  const size_t code = line.find_first_not_of(" \t");
  size_t codeEnd = line.find('#');
  if (codeEnd == std::string::npos) codeEnd = line.find_first_of("\r\n");
  if (codeEnd == std::string::npos) codeEnd = line.size();
  while (codeEnd > code && (line[codeEnd - 1] == ' ' || line[codeEnd - 1] == '\t')) --codeEnd;
  std::string rebuilt = line.substr(0, code) + "fps free";
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] != "free" && words[i] != "together") rebuilt += " " + words[i];
  }
  return rebuilt + " together" + line.substr(codeEnd);
}

}  // namespace

std::string FreeRunScript(const std::string& text) {
  std::string out;
  bool sawFps = false;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    const std::vector<std::string> words = ScriptWords(line);
    if (!words.empty() && words[0] == "fps") {
      sawFps = true;
      line = FreeRunLine(line, words);
    }
    out += line;
    start = end;
  }
  return sawFps ? out : "fps free together\n" + out;
}

}  // namespace accuracy
