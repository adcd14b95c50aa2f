// At start the console clears the shot records of earlier days from the data folder, keeping
// today's and yesterday's, on a thread of its own so the window comes up at once.
#pragma once

#include <ctime>
#include <string>

namespace console {

// "%d-%d-%d" of the local date (year, month, day, no leading zeros), as shot folders carry it.
std::string DateText(std::time_t when);

// Removes every folder of workingDirectory/data whose path holds neither today's nor
// yesterday's date text, and every file lying directly in it.
void CleanDataFolder(const std::string& workingDirectory, std::time_t now);

}  // namespace console
