// module exec|put|release|update: the DoIP module's command channel and system update.
#include <iostream>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "device/AdapterLock.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"
#include "firmware/DoIPUpdateInfo.h"
#include "firmware/ZKRYDoIPDevice.h"
#include "firmware/ZKRYFirmwareManager.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "platform/Files.h"

namespace cli {
namespace {

using nlohmann::json;

constexpr int kCommandTimeoutMs = 1000;

// ADDRESS or ADDRESS:PORT; the module's port when none is given.
std::pair<std::string, std::string> Endpoint(const std::string& text) {
  const auto colon = text.rfind(':');
  if (colon == std::string::npos) return {text, firmware::kModulePort};
  return {text.substr(0, colon), text.substr(colon + 1)};
}

// A peer that never completes the handshake leaves every command without a reply: that is
// no empty output but a failure.
bool Accepted(const firmware::ZWSFirmwareUpdate& ws, const std::string& address) {
  if (ws.ChannelAccepted()) return true;
  std::cerr << "orbmanager-cli: " << address << " did not accept the module's channel" << std::endl;
  return false;
}

bool Connect(firmware::ZWSFirmwareUpdate& ws, const std::string& address) {
  core::SetUpLog("orbmanager-cli.log");
  const auto [host, port] = Endpoint(address);
  if (ws.Connect(host, port)) return true;
  std::cerr << "orbmanager-cli: cannot connect to the module at " << host << ":" << port
            << std::endl;
  return false;
}

int Exec(const std::vector<std::string>& args) {
  if (args.size() != 2) return BadUsage("module exec takes an address and a command");
  TerminalInteraction ui;
  firmware::ZWSFirmwareUpdate ws(ui);
  if (!Connect(ws, args[0])) return kFailure;
  char output[2048] = {};
  std::uint32_t length = 0;
  if (!ws.RunCommand(args[1], kCommandTimeoutMs, output, sizeof output, &length) ||
      !Accepted(ws, args[0]))
    return kFailure;
  PrintJson({{"output", std::string(output, length)}, {"length", length}});
  return kSuccess;
}

int Put(const std::vector<std::string>& args) {
  if (args.size() != 3) return BadUsage("module put takes an address, a local file and a path");
  TerminalInteraction ui;
  firmware::ZWSFirmwareUpdate ws(ui);
  if (!Connect(ws, args[0])) return kFailure;
  const bool sent = ws.PutFile(args[1], args[2]);
  PrintJson({{"file", args[1]}, {"path", args[2]}, {"sent", sent}});
  return sent ? kSuccess : kFailure;
}

json ReleaseJson(const firmware::DoIPReleaseInfo& r) {
  return {
      {"openwrt", r.openwrt}, {"uboot", r.uboot}, {"device", r.device}, {"checksum", r.checksum}};
}

int Release(const std::vector<std::string>& args) {
  if (args.size() != 1) return BadUsage("module release takes an address");
  TerminalInteraction ui;
  firmware::ZWSFirmwareUpdate ws(ui);
  if (!Connect(ws, args[0])) return kFailure;
  firmware::DoIPReleaseInfo release;
  if (!ws.GetDeviceDoIPFWVersion(&release) || !Accepted(ws, args[0])) return kFailure;
  PrintJson(ReleaseJson(release));
  return kSuccess;
}

// The module's address and PID from the current adapter, which is closed again afterwards.
bool ModuleAddressOf(device::ZKRYDevice& dev, std::string* address, std::uint32_t* pid) {
  if (dev.Open() != KRY_OK) {
    LOG_WARN("failed on connect device.");
    std::cerr << "orbmanager-cli: the adapter cannot be opened" << std::endl;
    return false;
  }
  const bool read = dev._ReadHWInfo();
  *address = dev.address();
  *pid = dev.module().pid;
  dev.Close();
  if (!read) std::cerr << "orbmanager-cli: the adapter's identity cannot be read" << std::endl;
  return read;
}

// The version the image carries: given after the MD5, or the kept catalogue's for the
// module's PID, as the firmware window takes it. Without one the result could not be judged.
std::optional<std::string> ExpectedVersion(const std::vector<std::string>& args,
                                           std::uint32_t pid) {
  if (args.size() == 3) return args[2];
  firmware::ZKRYFirmwareManager catalogue;
  const firmware::FirmwareEntry* entry =
      catalogue.Load(platform::JoinPath(core::ZConfig::Instance().downloadDir, "fws.xml"))
          ? catalogue.FindEntry(pid)
          : nullptr;
  if (entry) return entry->VERSION;
  std::cerr << "orbmanager-cli: no kept catalogue entry for the module (PID " << pid
            << "): name the version the image carries after its MD5" << std::endl;
  return std::nullopt;
}

int Update(const std::vector<std::string>& args) {
  if (args.size() != 2 && args.size() != 3)
    return BadUsage("module update takes an image, its MD5 and optionally its version");
  TerminalInteraction ui;
  core::SetUpLog("orbmanager-cli.log");
  if (!core::ZConfig::Instance().Load()) return kFailure;
  if (!device::ZKRYSdk::Instance().Load(ui)) {
    std::cerr << "Load SDK dll failed！" << std::endl;
    return kFailure;
  }
  // The module update reads the adapter before and after: no other program may use it.
  std::string holder;
  const device::AdapterLock lock = device::AdapterLock::Take(device::CurrentAdapterLockPath(),
                                                             "the firmware update", 0, &holder);
  if (!lock) {
    std::cerr << device::AdapterBusyText(holder) << std::endl;
    return kFailure;
  }
  device::ZKRYDevice dev;
  std::string address;
  std::uint32_t pid = 0;
  if (!ModuleAddressOf(dev, &address, &pid)) return kFailure;
  firmware::ZKRYDoIPDevice adapter(dev);
  firmware::ZWSFirmwareUpdate ws(ui, &adapter);
  auto info = firmware::DoIPUpdateInfo::Make(address, args[1], args[0]);
  info.version = ExpectedVersion(args, pid);
  if (!info.version) return kFailure;
  // A failure says where it stopped, beside the fields every failed command prints: the
  // error shown, else the status line.
  const auto failed = [&](const firmware::FirmwareResult& result, const std::string& status) {
    ui.SetStatus(status);
    PrintJson({{"ok", false},
               {"exitCode", kFailure},
               {"address", address},
               {"stage", firmware::StageName(result.stage)},
               {"reason", result.reason.empty() ? status : result.reason}});
    return kFailure;
  };
  ui.SetStatus("Checking DoIP system status...");
  const firmware::FirmwareResult checked = ws.UpdateFirmware_Check(info);
  if (!checked) return failed(checked, "Checking DoIP system status ... Failed");
  ui.SetStatus("Upgrading system firmware...");
  const firmware::FirmwareResult updated = ws.UpdateFirmware(info);
  if (!updated) return failed(updated, "Updating system firmware ... Failed");
  json j = ReleaseJson(ws.release());
  j["address"] = address;
  j["stage"] = firmware::StageName(updated.stage);
  j["reason"] = updated.reason;
  PrintJson(j);
  return kSuccess;
}

int Module(const std::vector<std::string>& args) {
  const std::vector<std::string> rest(args.empty() ? args.end() : args.begin() + 1, args.end());
  if (!args.empty() && args[0] == "exec") return Exec(rest);
  if (!args.empty() && args[0] == "put") return Put(rest);
  if (!args.empty() && args[0] == "release") return Release(rest);
  if (!args.empty() && args[0] == "update") return Update(rest);
  return BadUsage("module takes exec, put, release or update");
}

const Registrar kModule({"module",
                         "module exec ADDRESS COMMAND | put ADDRESS LOCAL REMOTE | "
                         "release ADDRESS | update IMAGE MD5 [VERSION]",
                         Module});

}  // namespace
}  // namespace cli
