// The --free form of a script: its cameras run as fast as the sensor takes frames instead of at
// the pace of real cameras.
#pragma once

#include <string>

namespace accuracy {

// "fps R" becomes "fps free R", so the simulated frame times (and with them every speed) stay
// those of the script; a script without an fps line gets "fps free" first. Everything else,
// comments and line ends included, is kept.
std::string FreeRunScript(const std::string& text);

}  // namespace accuracy
