#pragma once
// orbmanager-cli commands. Each command file registers its commands; main() dispatches.
// Output is JSON on standard output; exit code 0 on success, 1 on failure, 2 on bad usage.
#include <functional>
#include <string>
#include <vector>

namespace cli {

constexpr int kSuccess = 0;
constexpr int kFailure = 1;
constexpr int kBadUsage = 2;

struct Command {
  std::string name;                                              // first word, e.g. "config"
  std::string usage;                                             // shown by --help
  std::function<int(const std::vector<std::string>& args)> run;  // args after the name
};

std::vector<Command>& Registry();

struct Registrar {
  explicit Registrar(Command command) { Registry().push_back(std::move(command)); }
};

// Prints a usage error to standard error and returns kBadUsage.
int BadUsage(const std::string& message);

}  // namespace cli
