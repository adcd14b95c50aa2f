// Appends one text to the debug output and, when path is given, to a log file.
#pragma once

#include <cstdint>

namespace platform {

// With a path and capBytes > 0, a file larger than the cap is deleted first (its size taken by
// seeking to its end). The file is then opened for appending in text mode, the text written up to
// its terminating zero and the file closed. A file that cannot be opened loses the line.
void AppendLog(const char* path, const char* text, int64_t capBytes);

}  // namespace platform
