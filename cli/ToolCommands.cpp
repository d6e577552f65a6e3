// tool NAME: one of the device page's external tools, started as its button starts it. The
// tool's own output would break the one JSON document on standard output, so it is dropped.
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/ToolLaunch.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "core/Log.h"
#include "core/ZConfig.h"

namespace cli {
namespace {

int StartTool(const std::vector<std::string>& args) {
  if (args.size() != 1) return BadUsage("tool takes one name");
  core::SetUpLog("orbmanager-cli.log");
  core::ZConfig& config = core::ZConfig::Instance();
  if (!config.Load()) return kFailure;
  const auto tool = app::ToolNamed(args[0], config);
  if (!tool) return BadUsage("no tool named '" + args[0] + "'");
  app::LaunchedTool launched =
      app::LaunchTool(app::ToolProgramName(*tool, config), config.root, true);
  if (!launched.process.valid()) {
    std::cerr << launched.error << std::endl;
    return kFailure;
  }
  PrintJson({{"program", launched.program},
             {"workingFolder", launched.workingFolder},
             {"pid", launched.process.pid()}});
  return kSuccess;
}

const Registrar kTool{{"tool", "tool DoIPConfig|OBDVoltage|CaptureLog|RepairDevice", StartTool}};

}  // namespace
}  // namespace cli
