// The name of a shot record folder: its local date and time, and the camera it is from.
#pragma once

#include <cstddef>
#include <ctime>

// Local time now as "%d-%d-%d-%d-%d-%d(%s)" (year, month 1-12, day, hour, minute, second, suffix);
// without a suffix (nullptr) "%d-%d-%d-%d-%d-%d". Cut to size - 1 characters.
void MakeShotName(char* out, size_t size, const char* suffix);

// The same for a given local time.
void MakeShotNameAt(char* out, size_t size, const char* suffix, const std::tm& localTime);
