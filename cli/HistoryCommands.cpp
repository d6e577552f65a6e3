// history: the update history of the root folder as a JSON list, newest first.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "core/Log.h"
#include "history/UpdateHistory.h"
#include "platform/Files.h"

namespace cli {
namespace {

using nlohmann::json;

json RecordJson(const history::HistoryRecord& r) {
  return {{"time", r.time},
          {"serial", r.serial.empty() ? json(nullptr) : json(r.serial)},
          {"pid", r.pid ? json(*r.pid) : json(nullptr)},
          {"what", r.what},
          {"subject", r.subject},
          {"versionBefore", r.versionBefore},
          {"versionAfter", r.versionAfter},
          {"ok", r.ok},
          {"reason", r.reason}};
}

bool ParseLimit(const std::string& text, int* limit) {
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return false;
  *limit = std::stoi(text);
  return true;
}

int HistoryCommand(const std::vector<std::string>& args) {
  std::string serial;
  int limit = -1;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const bool hasValue = i + 1 < args.size();
    if (args[i] == "--serial" && hasValue && !args[i + 1].empty()) {
      serial = args[++i];
    } else if (args[i] == "--limit" && hasValue && ParseLimit(args[i + 1], &limit)) {
      ++i;
    } else {
      return BadUsage("history takes --serial SN and --limit N (a whole number)");
    }
  }
  core::SetUpLog("orbmanager-cli.log");
  // The root folder is the working directory, as for every command; reading the history
  // needs nothing else of the configuration.
  history::UpdateHistory store(
      platform::JoinPath(platform::CurrentDirectory(), history::UpdateHistory::kFileName));
  const auto records = store.List(serial, limit);
  if (!records) {
    std::cerr << "The update history " << store.path() << " cannot be read." << std::endl;
    return kFailure;
  }
  json list = json::array();
  for (const auto& r : *records) list.push_back(RecordJson(r));
  PrintJson(list);
  return kSuccess;
}

const Registrar kHistory({"history", "history [--serial SN] [--limit N]", HistoryCommand});

}  // namespace
}  // namespace cli
