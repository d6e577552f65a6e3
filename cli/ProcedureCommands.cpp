// report, firmware, reset, unlock, test: what a technician does with the adapter, run
// through the same start-up core and device page procedures as the program.
#include <iostream>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "app/ZCoreManager.h"
#include "app/ZDeviceProcedures.h"
#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "device/DeviceButtons.h"
#include "device/DeviceOPThread.h"
#include "firmware/FirmwareUpdateJob.h"

namespace cli {
namespace {

using nlohmann::json;

std::optional<bool> PresetAnswer(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a == "--yes") return true;
  return std::nullopt;
}

// The start-up core as the program runs it, with the device page's procedures and its
// worker for the timed waits; every message goes to standard error.
class Session {
 public:
  explicit Session(core::Interaction& ui) : ui_(ui) {}
  ~Session() {
    procedures_.reset();
    operations_.Stop();
  }

  bool Start() {
    core::SetUpLog("orbmanager-cli.log");
    core::ZConfig::Instance().Load();
    app::ZCoreManager& core = app::ZCoreManager::Instance();
    if (!core.Init(ui_)) return false;
    operations_.Start();
    procedures_ = std::make_unique<app::ZDeviceProcedures>(core, ui_, operations_);
    return procedures_->device() != nullptr;
  }
  app::ZDeviceProcedures& procedures() { return *procedures_; }

 private:
  core::Interaction& ui_;
  device::DeviceOPThread operations_;
  std::unique_ptr<app::ZDeviceProcedures> procedures_;
};

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

json RowJson(const firmware::FirmwareRow& row) {
  return {{"visible", row.visible}, {"name", row.name}, {"currentVersion", row.currentVersion},
          {"newVersion", row.newVersion}, {"ticked", row.ticked}};
}

int ReportCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("report takes no arguments");
  TerminalInteraction ui;
  Session session(ui);
  if (!session.Start()) return kFailure;
  PrintJson(ReportJson(session.procedures().Report()));
  return kSuccess;
}

// The firmware window on the terminal: the rows as the job fills them, the ticks, the run.
// True when the run ended with "Update Completed".
bool RunFirmwareJob(firmware::FirmwareJobSetup setup, std::optional<bool> vci,
                    std::optional<bool> doip) {
  firmware::FirmwareUpdateJob job(std::move(setup));
  job.Start();
  firmware::FirmwareJobState s = job.state();
  PrintJson({{"vci", RowJson(s.vci)}, {"system", RowJson(s.system)}});
  job.SetTicks(vci.value_or(s.vci.ticked), doip.value_or(s.system.ticked));
  if (!job.RequestUpdate()) {
    std::cerr << "orbmanager-cli: nothing to update" << std::endl;
    job.RequestClose();
    return false;
  }
  job.WaitIdle();
  s = job.state();
  job.RequestClose();
  std::cerr << "[status] " << s.status << std::endl;
  return s.lastRunOk && s.status == core::Text(25);
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
  Session session(ui);
  if (!session.Start()) return kFailure;
  app::ZDeviceProcedures& procedures = session.procedures();
  // The job takes the PIDs the page recorded with its last report.
  procedures.Report();
  bool completed = false;
  procedures.SetFirmwareWindow([&](firmware::FirmwareJobSetup setup) {
    completed = RunFirmwareJob(std::move(setup), vci, doip);
  });
  procedures.FirmwareUpdate();
  return completed ? kSuccess : kFailure;
}

int ResetCommand(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a != "--yes") return BadUsage("reset takes --yes");
  TerminalInteraction ui(PresetAnswer(args));
  Session session(ui);
  if (!session.Start()) return kFailure;
  // The reset refreshes the report once it has reset the adapter.
  bool reset = false;
  device::DevicePageView view;
  view.showReport = [&reset](const device::DeviceReport& r) {
    reset = true;
    PrintJson(ReportJson(r));
  };
  view.showConnectionPicture = [](const std::string& picture) {
    std::cerr << "[deviceConnImage] " << picture << std::endl;
  };
  session.procedures().BindPage(view);
  device::RunDeviceButton(session.procedures(), ui, "btnReset", {});
  return reset ? kSuccess : kFailure;
}

int UnlockCommand(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a != "--yes") return BadUsage("unlock takes --yes");
  TerminalInteraction ui(PresetAnswer(args));
  Session session(ui);
  if (!session.Start()) return kFailure;
  const device::ConsoleResult result = session.procedures().UnlockAdapter();
  PrintJson({{"result", static_cast<int>(result)}}, -1);
  return kSuccess;
}

int TestCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0] != "self" && args[0] != "hw")) return BadUsage("test takes self or hw");
  TerminalInteraction ui;
  Session session(ui);
  if (!session.Start()) return kFailure;
  const device::ButtonOutcome outcome = device::RunDeviceButton(
      session.procedures(), ui, args[0] == "self" ? "btnSelfTest" : "btnHWTest", {});
  return outcome == device::ButtonOutcome::Done ? kSuccess : kFailure;
}

const Registrar kReport({"report", "report", ReportCommand});
const Registrar kFirmware({"firmware", "firmware [--vci|--no-vci] [--doip|--no-doip] [--yes]", FirmwareCommand});
const Registrar kReset({"reset", "reset [--yes]", ResetCommand});
const Registrar kUnlock({"unlock", "unlock [--yes]", UnlockCommand});
const Registrar kTest({"test", "test self|hw", TestCommand});

}  // namespace
}  // namespace cli
