// report, firmware, reset, unlock, test: what a technician does with the adapter, run
// through the same start-up core and device page procedures as the program.
#include <iostream>
#include <memory>
#include <mutex>
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
  explicit Session(TerminalInteraction& ui) : ui_(ui) {}
  ~Session() {
    procedures_.reset();
    operations_.Stop();
  }

  bool Start() {
    core::SetUpLog("orbmanager-cli.log");
    core::ZConfig::Instance().Load();
    app::ZCoreManager& core = app::ZCoreManager::Instance();
    // These commands were asked to work on the adapter, not to replace the program: the
    // start-up question is answered Cancel whatever --yes says for their own questions.
    core.SetHandover([](const std::string&, const std::string&) {
      LOG_WARN("The updater is only started by the start and update-check commands.");
    });
    const std::optional<bool> ownAnswer = ui_.presetAnswer();
    ui_.SetPresetAnswer(false);
    const bool started = core.Init(ui_);
    ui_.SetPresetAnswer(ownAnswer);
    if (!started) return false;
    operations_.Start();
    procedures_ = std::make_unique<app::ZDeviceProcedures>(core, ui_, operations_);
    return procedures_->device() != nullptr;
  }
  app::ZDeviceProcedures& procedures() { return *procedures_; }

 private:
  TerminalInteraction& ui_;
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
  return {{"visible", row.visible},
          {"name", row.name},
          {"currentVersion", row.currentVersion},
          {"newVersion", row.newVersion},
          {"ticked", row.ticked}};
}

int ReportCommand(const std::vector<std::string>& args) {
  if (!args.empty()) return BadUsage("report takes no arguments");
  TerminalInteraction ui;
  Session session(ui);
  if (!session.Start()) return kFailure;
  const device::DeviceReport report = session.procedures().Report();
  // Every report has a row; none means the adapter was busy and nothing was read.
  if (report.rows.empty()) return kFailure;
  PrintJson(ReportJson(report));
  return kSuccess;
}

// The firmware window on the terminal: the rows as the job filled them, the ticks, the run.
// The job shows its status lines itself; the result carries the last one, and the stage the
// run stopped at with what the user was shown about it.
json RunFirmwareJob(firmware::FirmwareJobSetup setup, std::optional<bool> vci,
                    std::optional<bool> doip) {
  firmware::FirmwareUpdateJob job(std::move(setup));
  job.Start();
  firmware::FirmwareJobState s = job.state();
  json j = {{"vci", RowJson(s.vci)}, {"system", RowJson(s.system)}};
  job.SetTicks(vci.value_or(s.vci.ticked), doip.value_or(s.system.ticked));
  if (!job.RequestUpdate()) {
    std::cerr << "orbmanager-cli: nothing to update" << std::endl;
    job.RequestClose();
    j["status"] = s.status;
    j["completed"] = false;
    j["stage"] = firmware::StageName(firmware::FirmwareStage::NotRun);
    j["reason"] = "";
    return j;
  }
  job.WaitIdle();
  s = job.state();
  job.RequestClose();
  j["status"] = s.status;
  j["completed"] = s.lastRun.ok() && s.status == core::Text(core::TextId::kUpdateCompleted);
  j["stage"] = firmware::StageName(s.lastRun.stage);
  j["reason"] = s.lastRun.reason;
  return j;
}

int FirmwareCommand(const std::vector<std::string>& args) {
  std::optional<bool> vci, doip;
  for (const auto& a : args) {
    if (a == "--vci")
      vci = true;
    else if (a == "--no-vci")
      vci = false;
    else if (a == "--doip")
      doip = true;
    else if (a == "--no-doip")
      doip = false;
    else if (a != "--yes")
      return BadUsage("firmware takes --vci, --no-vci, --doip, --no-doip, --yes");
  }
  TerminalInteraction ui(PresetAnswer(args));
  Session session(ui);
  if (!session.Start()) return kFailure;
  app::ZDeviceProcedures& procedures = session.procedures();
  // The job takes the PIDs the page recorded with its last report.
  procedures.Report();
  json result;
  procedures.SetFirmwareWindow([&](firmware::FirmwareJobSetup setup) {
    result = RunFirmwareJob(std::move(setup), vci, doip);
  });
  procedures.FirmwareUpdate();
  if (result.is_null()) return kFailure;  // refused before the window opened
  PrintJson(result);
  return result["completed"].get<bool>() ? kSuccess : kFailure;
}

int ResetCommand(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a != "--yes") return BadUsage("reset takes --yes");
  TerminalInteraction ui(PresetAnswer(args));
  Session session(ui);
  if (!session.Start()) return kFailure;
  // The reset refreshes the report once it has reset the adapter; the last one is printed.
  std::optional<device::DeviceReport> refreshed;
  std::mutex refreshedMutex;
  device::DevicePageView view;
  view.showReport = [&](const device::DeviceReport& r) {
    std::lock_guard<std::mutex> lock(refreshedMutex);
    refreshed = r;
  };
  view.showConnectionPicture = [](const std::string& picture) {
    std::cerr << "[deviceConnImage] " << picture << std::endl;
  };
  session.procedures().BindPage(view);
  device::RunDeviceButton(session.procedures(), ui, device::DeviceButton::Reset, {});
  std::lock_guard<std::mutex> lock(refreshedMutex);
  if (!refreshed) return kFailure;
  PrintJson(ReportJson(*refreshed));
  return kSuccess;
}

int UnlockCommand(const std::vector<std::string>& args) {
  for (const auto& a : args)
    if (a != "--yes") return BadUsage("unlock takes --yes");
  TerminalInteraction ui(PresetAnswer(args));
  Session session(ui);
  if (!session.Start()) return kFailure;
  const device::ConsoleResult result = session.procedures().UnlockAdapter();
  PrintJson({{"result", static_cast<int>(result)}}, -1);
  // No usable reply (also a cancelled or refused unlock): nothing was freed.
  return result == device::kConsoleNoReply ? kFailure : kSuccess;
}

int TestCommand(const std::vector<std::string>& args) {
  if (args.size() != 1 || (args[0] != "self" && args[0] != "hw"))
    return BadUsage("test takes self or hw");
  TerminalInteraction ui;
  Session session(ui);
  if (!session.Start()) return kFailure;
  const device::ButtonOutcome outcome = device::RunDeviceButton(
      session.procedures(), ui,
      args[0] == "self" ? device::DeviceButton::SelfTest : device::DeviceButton::HardwareTest, {});
  return outcome == device::ButtonOutcome::Done ? kSuccess : kFailure;
}

const Registrar kReport({"report", "report", ReportCommand});
const Registrar kFirmware({"firmware", "firmware [--vci|--no-vci] [--doip|--no-doip] [--yes]",
                           FirmwareCommand});
const Registrar kReset({"reset", "reset [--yes]", ResetCommand});
const Registrar kUnlock({"unlock", "unlock [--yes]", UnlockCommand});
const Registrar kTest({"test", "test self|hw", TestCommand});

}  // namespace
}  // namespace cli
