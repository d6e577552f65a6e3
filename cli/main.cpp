// orbmanager-cli: the program's procedures from a terminal, run in the root folder like the
// program itself (root = working directory).
#include <iostream>

#include "cli/Command.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/Files.h"

namespace cli {

std::vector<Command>& Registry() {
  static std::vector<Command> commands;
  return commands;
}

int BadUsage(const std::string& message) {
  std::cerr << "orbmanager-cli: " << message << "\n(see orbmanager-cli --help)" << std::endl;
  return kBadUsage;
}

}  // namespace cli

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::ostream& out = args.empty() ? std::cerr : std::cout;
    out << "usage: orbmanager-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& c : cli::Registry()) out << "  orbmanager-cli " << c.usage << "\n";
    return args.empty() ? cli::kBadUsage : cli::kSuccess;
  }
  for (const auto& c : cli::Registry()) {
    if (c.name != args[0]) continue;
    // No command works on from defaults in place of a configuration it cannot read.
    const std::string root = platform::CurrentDirectory();
    if (const std::string why = core::ZConfig::ReadErrorAt(root); !why.empty()) {
      std::cerr << core::Text(1060) << " " << core::ZConfig::ConfigFileAt(root) << ": " << why
                << std::endl;
      return cli::kFailure;
    }
    return c.run({args.begin() + 1, args.end()});
  }
  return cli::BadUsage("unknown command '" + args[0] + "'");
}
