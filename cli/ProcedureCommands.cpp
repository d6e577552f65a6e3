// report, firmware, reset, unlock, test: what a technician does with the adapter, run
// through the same start-up core and procedures as the device page.
#include <iostream>
#include <nlohmann/json.hpp>

#include "app/ZCoreManager.h"
#include "cli/Command.h"
#include "cli/TerminalInteraction.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "device/DeviceOPThread.h"
#include "device/DeviceReport.h"
#include "device/HardwareTests.h"
#include "device/UnlockProcedure.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYDeviceManager.h"
#include "firmware/DeviceReset.h"
#include "firmware/FirmwareUpdateJob.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "platform/Files.h"

namespace cli {
namespace {

using nlohmann::json;

std::optional<bool> PresetAnswer(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--yes") return true;
  return std::nullopt;
}

// The start-up core as the program runs it; every message goes to standard error.
device::ZKRYDevice* StartCore(core::Interaction& ui) {
  core::SetUpLog("orbmanager-cli.log");
  core::ZConfig::Instance().Load();
  app::ZCoreManager& core = app::ZCoreManager::Instance();
  if (!core.Init(ui)) return nullptr;
  return core.deviceManager() ? core.deviceManager()->current() : nullptr;
}

device::ReportContext Context() {
  app::ZCoreManager& core = app::ZCoreManager::Instance();
  const core::ZConfig& config = core::ZConfig::Instance();
  firmware::ZKRYFirmwareManager* catalogue = core.firmwareManager();
  return {config, *core.commSettings(),
          [catalogue](std::uint32_t pid, const std::string& v) {
            return catalogue && catalogue->IsLatestVersion(pid, v);
          },
          platform::JoinPath(platform::ProgramFolder(), config.english() ? "skin/EN" : "skin/CS")};
}

std::string Colour(std::uint32_t argb) {
  char text[16];
  std::snprintf(text, sizeof text, "#%08X", argb);
  return text;
}

json ReportJson(const device::DeviceReport& r) {
  json rows = json::array();
  for (const auto& row : r.rows) {
    const char* kind = row.kind == device::ReportRow::Kind::Header
                           ? "header"
                           : (row.kind == device::ReportRow::Kind::Notice ? "notice" : "value");
    rows.push_back({{"label", row.label}, {"value", row.value}, {"kind", kind}});
  }
  return {{"rows", rows},
          {"serialLabel", {{"text", r.serialText}, {"colour", Colour(r.serialColour)}}},
          {"voltageLabel", {{"text", r.voltageText}, {"colour", Colour(r.voltageColour)}}},
          {"modelPicture", r.modelImage},
          {"connectionPicture", r.connectionImage},
          {"toolTip", r.connectionTip},
          {"firmwareUpdate", r.firmwareUpdate},
          {"firmwareButtonText", r.firmwareButtonText},
          {"vciPid", r.vciPid},
          {"doipPid", r.doipPid},
          {"hasDoIP", r.hasDoIP}};
}

device::DeviceReport RunReport(device::ZKRYDevice& device) {
  device::DeviceReport report;
  report.firmwareButtonText = core::Text(101);
  device::UpdateDeviceInfo(device, Context(), report);
  return report;
}

bool Probe(device::ZKRYDevice& device, core::Interaction& ui) {
  if (device.Open() != 0) {
    ui.ShowMessage(core::Text(3), "", core::MessageIcon::Error);
    return false;
  }
  device.Close();
  return true;
}

int ReportCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("report takes no arguments");
  TerminalInteraction ui;
  device::ZKRYDevice* device = StartCore(ui);
  if (!device) return kFailure;
  std::cout << ReportJson(RunReport(*device)).dump(2) << std::endl;
  return kSuccess;
}

json RowJson(const firmware::FirmwareRow& row) {
  return {{"visible", row.visible}, {"name", row.name}, {"currentVersion", row.currentVersion},
          {"newVersion", row.newVersion}, {"ticked", row.ticked}};
}

int FirmwareCommand(const std::vector<std::string>& args) {
  std::optional<bool> vci, doip;
  for (const auto& a : args) {
    if (a == "--vci") vci = true;
    else if (a == "--no-vci") vci = false;
    else if (a == "--doip") doip = true;
    else if (a == "--no-doip") doip = false;
    else if (a != "--yes") return BadUsage("firmware takes --vci, --no-vci, --doip, --no-doip, --yes");
  }
  TerminalInteraction ui(PresetAnswer(args));
  device::ZKRYDevice* device = StartCore(ui);
  if (!device) return kFailure;
  app::ZCoreManager& core = app::ZCoreManager::Instance();
  const core::ZConfig& config = core::ZConfig::Instance();
  // The page's recorded PIDs come from its last report.
  const device::DeviceReport report = RunReport(*device);
  if (!firmware::MayOpenFirmwareWindow(ui, *device, *core.commSettings(), config, core.online()))
    return kFailure;
  firmware::ZKRYFirmwareManager empty;
  firmware::FirmwareJobSetup setup{*device, core.firmwareManager() ? *core.firmwareManager() : empty,
                                   config, {config.downloadDir, core.online() && !core.offline()},
                                   ui, report.vciPid, report.doipPid};
  firmware::FirmwareUpdateJob job(setup);
  job.Start();
  firmware::FirmwareJobState s = job.state();
  std::cout << json{{"vci", RowJson(s.vci)}, {"system", RowJson(s.system)}}.dump(2) << std::endl;
  job.SetTicks(vci.value_or(s.vci.ticked), doip.value_or(s.system.ticked));
  if (!job.RequestUpdate()) {
    std::cerr << "orbmanager-cli: nothing to update" << std::endl;
    job.RequestClose();
    return kFailure;
  }
  job.WaitIdle();
  s = job.state();
  job.RequestClose();
  std::cerr << "[status] " << s.status << std::endl;
  return s.lastRunOk && s.status == core::Text(25) ? kSuccess : kFailure;
}

int ResetCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("reset takes no arguments");
  TerminalInteraction ui;
  device::ZKRYDevice* device = StartCore(ui);
  if (!device) return kFailure;
  if (!Probe(*device, ui)) return kFailure;
  device::DeviceOPThread operations;
  operations.Start();
  firmware::ResetContext ctx{ui, operations, nullptr,
                             [device] { std::cout << ReportJson(RunReport(*device)).dump(2) << std::endl; }};
  const firmware::ResetOutcome outcome = firmware::HWReset(device, ctx);
  operations.Stop();
  return outcome.reset ? kSuccess : kFailure;
}

int UnlockCommand(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a != "--yes") return BadUsage("unlock takes --yes");
  TerminalInteraction ui(PresetAnswer(args));
  device::ZKRYDevice* device = StartCore(ui);
  if (!device) return kFailure;
  std::string address;
  if (device->Open() == 0) {
    device->_ReadHWInfo();
    address = device->address();
    device->Close();
  }
  const device::ConsoleResult result = device::UnlockDevice(ui, address);
  std::cout << json{{"result", static_cast<int>(result)}}.dump() << std::endl;
  return kSuccess;
}

int TestCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0] != "self" && args[0] != "hw")) return BadUsage("test takes self or hw");
  TerminalInteraction ui;
  device::ZKRYDevice* device = StartCore(ui);
  if (!device) return kFailure;
  if (!Probe(*device, ui)) return kFailure;
  device::RunLedTest(*device, ui);
  device::RunBeepTest(*device, ui);
  if (args[0] == "self") ui.ShowTip("LUWNDTIP", core::Text(24), 0);
  return kSuccess;
}

const Registrar kReport({"report", "report", ReportCommand});
const Registrar kFirmware({"firmware", "firmware [--vci|--no-vci] [--doip|--no-doip] [--yes]", FirmwareCommand});
const Registrar kReset({"reset", "reset", ResetCommand});
const Registrar kUnlock({"unlock", "unlock [--yes]", UnlockCommand});
const Registrar kTest({"test", "test self|hw", TestCommand});

}  // namespace
}  // namespace cli
