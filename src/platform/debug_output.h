// Diagnostic lines: one write of the text to standard error, the only channel the sensor has.
#pragma once

namespace platform {

void OutputDebugStringA(const char* text);

// printf-style convenience that formats into a stack buffer and sends it in one write.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
