#pragma once
// Runs a shell command line and collects its standard output and exit code.
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace testing_support {

struct ShellResult {
  int code;  // -1 when the command did not exit normally
  std::string out;
};

inline ShellResult RunShell(const std::string& command) {
  FILE* pipe = ::popen(command.c_str(), "r");
  ShellResult run{-1, ""};
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

}  // namespace testing_support
