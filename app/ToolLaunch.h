#pragma once
// Starting the device page's external tools. They work on what the program keeps in its
// root folder (logs, crash dumps, Download/KRY.bin, the SDK settings), so they always run
// there, wherever they are installed.
#include <optional>
#include <string>

#include "core/ZConfig.h"
#include "device/DeviceProcedures.h"
#include "platform/Processes.h"

namespace app {

struct LaunchedTool {
  std::string program;        // found path; empty when the tool was not found
  std::string workingFolder;  // the root folder
  platform::ProcessHandle process;
  std::string error;  // for the user, when not started
};

const std::string& ToolProgramName(device::DeviceTool tool, const core::ZConfig& config);

// The tool a command-line word names: DoIPConfig, OBDVoltage, CaptureLog, RepairDevice, or
// one of the four configured program names.
std::optional<device::DeviceTool> ToolNamed(const std::string& word, const core::ZConfig& config);

// Looks `name` up in `root` first, then beside the running program, and starts it with
// `root` as its working folder. Nobody waits for it unless the caller keeps the handle.
LaunchedTool LaunchTool(const std::string& name, const std::string& root, bool discardOutput);

}  // namespace app
