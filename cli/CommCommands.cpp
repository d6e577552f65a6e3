// comm show, comm save: the communication settings page's logic from a terminal.
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>

#include "cli/CommRecordJson.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "core/Log.h"
#include "core/ZCommSettings.h"
#include "core/ZConfig.h"
#include "device/CommSettingsPage.h"
#include "platform/Text.h"

namespace cli {
namespace {

using device::CommPageState;
using device::CommSettingsPage;
using nlohmann::json;

json PageJson(const core::ZCommSettings& comm, const CommPageState& s) {
  return {
      {"file", comm.path()},
      {"current", CommRecordJson(comm.current())},
      {"page",
       {{"typePosition", s.typePosition},
        {"portEnabled", s.portEnabled},
        {"addressEnabled", s.addressEnabled},
        {"portText", s.portText},
        {"addressText", s.addressText},
        {"unlockPosition", s.unlockPosition},
        {"logLevelPosition", s.logLevelPosition},
        {"logFlagPosition", s.logFlagPosition},
        {"picture", CommSettingsPage::PictureOfPosition(s.typePosition)}}},
  };
}

bool LoadSettings(core::ZCommSettings& comm) {
  core::SetUpLog("orbmanager-cli.log");
  core::ZConfig::Instance().Load();
  return comm.Load();
}

bool ParsePosition(const std::string& text, int limit, int& out) {
  if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return false;
  out = static_cast<int>(platform::ParseDecimal(text));
  return out < limit;
}

int ShowCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("comm show takes no arguments");
  core::ZCommSettings comm;
  LoadSettings(comm);
  CommPageState state;
  CommSettingsPage(comm).Show(state);
  PrintJson(PageJson(comm, state));
  return kSuccess;
}

int SaveCommand(const std::vector<std::string>& args) {
  std::map<std::string, std::string> options;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    static const char* const kKnown[] = {"--position", "--port",     "--address",
                                         "--unlock",   "--loglevel", "--logflag"};
    bool known = false;
    for (const char* k : kKnown) known = known || args[i] == k;
    if (!known || i + 1 >= args.size()) return BadUsage("comm save: bad option " + args[i]);
    options[args[i]] = args[i + 1];
  }
  int position = -1;
  if (!options.count("--position") ||
      !ParsePosition(options["--position"], CommSettingsPage::kTypePositions, position))
    return BadUsage("comm save needs --position 0-7");

  core::ZCommSettings comm;
  LoadSettings(comm);
  CommSettingsPage page(comm);
  CommPageState state;
  page.Show(state);
  page.SelectType(position, state);
  if (options.count("--port")) state.portText = options["--port"];
  if (options.count("--address")) state.addressText = options["--address"];
  const std::pair<const char*, int*> lists[] = {{"--unlock", &state.unlockPosition},
                                                {"--loglevel", &state.logLevelPosition},
                                                {"--logflag", &state.logFlagPosition}};
  for (const auto& [name, target] : lists) {
    if (!options.count(name)) continue;
    const int limit = std::string(name) == "--loglevel" ? CommSettingsPage::kLogLevelPositions : 2;
    if (!ParsePosition(options[name], limit, *target))
      return BadUsage(std::string("comm save: bad ") + name);
  }
  page.Apply(state);
  if (!comm.Save()) {
    std::cerr << "orbmanager-cli: cannot write " << comm.path() << std::endl;
    return kFailure;
  }
  page.Show(state);
  PrintJson(PageJson(comm, state));
  return kSuccess;
}

int CommCommand(const std::vector<std::string>& args) {
  if (args.empty()) return BadUsage("comm takes show or save");
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (args[0] == "show") return ShowCommand(rest);
  if (args[0] == "save") return SaveCommand(rest);
  return BadUsage("comm takes show or save");
}

const Registrar kComm({"comm",
                       "comm show | comm save --position N [--port TEXT] [--address TEXT] "
                       "[--unlock N] [--loglevel N] [--logflag N]",
                       CommCommand});

}  // namespace
}  // namespace cli
