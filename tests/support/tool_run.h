// Runs a command-line tool as its users do: standard output captured, exit status kept.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace test_support {

struct ToolRun {
  int status = -1;
  std::string out;
};

// The tool's standard output and exit status; its standard error goes to errFile.
inline ToolRun RunTool(const std::string& program, const std::string& arguments,
                       const std::string& errFile) {
  const std::string command = "'" + program + "' " + arguments + " 2> '" + errFile + "'";
  ToolRun run;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char chunk[4096];
  for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.out.append(chunk, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace test_support
