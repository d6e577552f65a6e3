// orbmanager-cli: the program's procedures from a terminal, run in the root folder like the
// program itself (root = working directory).
#include <iostream>

#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/Files.h"
#include "updater/UpdateRecovery.h"

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
  // An update cut short is undone or finished before any command runs.
  updater::RecoverInterruptedUpdateAtStart(argv);
  cli::SetAsideStandardOutput();
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    std::ostream& out = args.empty() ? std::cerr : std::cout;
    out << "usage: orbmanager-cli COMMAND [ARGS]\n\ncommands:\n";
    for (const auto& c : cli::Registry()) out << "  orbmanager-cli " << c.usage << "\n";
    return args.empty() ? cli::kBadUsage : cli::kSuccess;
  }
  int code = cli::kBadUsage;
  bool known = false;
  for (const auto& c : cli::Registry()) {
    if (c.name != args[0]) continue;
    known = true;
    // No command works on from defaults in place of a configuration it cannot read.
    const std::string root = platform::CurrentDirectory();
    if (const std::string why = core::ZConfig::ReadErrorAt(root); !why.empty()) {
      std::cerr << core::Text(core::TextId::kConfigUnreadable) << " "
                << core::ZConfig::ConfigFileAt(root) << ": " << why << std::endl;
      code = cli::kFailure;
      break;
    }
    code = c.run({args.begin() + 1, args.end()});
    break;
  }
  if (!known) code = cli::BadUsage("unknown command '" + args[0] + "'");
  // A script reads one document whatever happened; the reason is on standard error.
  if (!cli::ResultPrinted()) cli::PrintJson({{"ok", code == cli::kSuccess}, {"exitCode", code}});
  return code;
}
