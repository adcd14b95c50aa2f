// Numbers read from settings text follow the C runtime: leading digits count, anything else is 0.
// A broken value never stops the rest of a file from being read.
#pragma once

#include <cstdint>

namespace platform {

int32_t TextToInt(const char* text);  // atoi-like, saturating instead of overflowing
// strtod-like whatever the locale ('.' is the decimal point), 0 when nothing parses. Takes "inf"
// and "nan" as strtod does, not hexadecimal; out of range gives +-infinity or 0.
double TextToDouble(const char* text);

}  // namespace platform
