// Starting another program and leaving it running (the stand-in of ShellExecuteExA "open").
#pragma once

#include <string>
#include <vector>

namespace platform {

// Starts file with one parameter text as its only argument, looking in the current directory
// first and then along PATH. The program inherits the working directory and the environment,
// with the "NAME=value" entries of extraEnvironment added or replacing ones of the same name.
// Returns true when the program was started; it is never waited for.
bool StartProgram(const char* file, const char* parameters,
                  const std::vector<std::string>& extraEnvironment = {});

}  // namespace platform
