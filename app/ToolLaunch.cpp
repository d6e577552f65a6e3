#include "app/ToolLaunch.h"

#include "core/Log.h"
#include "platform/Files.h"

namespace app {

const std::string& ToolProgramName(device::DeviceTool tool, const core::ZConfig& config) {
  switch (tool) {
    case device::DeviceTool::DoIPSwitch:
      return config.DoIPSwitchProgram;
    case device::DeviceTool::OBDVoltage:
      return config.OBDVoltageProgram;
    case device::DeviceTool::CaptureLog:
      return config.CaptureLogProgram;
    case device::DeviceTool::RepairDevice:
      break;
  }
  return config.RepairDeviceProgram;
}

std::optional<device::DeviceTool> ToolNamed(const std::string& word, const core::ZConfig& config) {
  using device::DeviceTool;
  const std::pair<const char*, DeviceTool> words[] = {{"DoIPConfig", DeviceTool::DoIPSwitch},
                                                      {"OBDVoltage", DeviceTool::OBDVoltage},
                                                      {"CaptureLog", DeviceTool::CaptureLog},
                                                      {"RepairDevice", DeviceTool::RepairDevice}};
  for (const auto& [known, tool] : words)
    if (word == known) return tool;
  for (const auto& [known, tool] : words)
    if (!word.empty() && word == ToolProgramName(tool, config)) return tool;
  return std::nullopt;
}

LaunchedTool LaunchTool(const std::string& name, const std::string& root, bool discardOutput) {
  LaunchedTool launched;
  launched.workingFolder = root;
  launched.program = platform::FindProgramIn(name, {root, platform::ProgramFolder()});
  if (launched.program.empty()) {
    LOG_WARN("The tool {0} was not found.", name);
    launched.error = "The tool " + name + " was not found.";
    return launched;
  }
  platform::StartRequest request;
  request.program = launched.program;
  request.workingFolder = root;
  request.discardOutput = discardOutput;
  launched.process = platform::StartProgram(request);
  if (!launched.process.valid()) {
    LOG_WARN("The tool {0} could not be started.", launched.program);
    launched.error = "The tool " + name + " could not be started.";
    return launched;
  }
  LOG_INFO("Started {0} in {1}.", launched.program, root);
  return launched;
}

}  // namespace app
