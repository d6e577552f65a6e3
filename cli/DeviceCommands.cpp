// device, device led, device beep: the adapter through the SDK, as the device page sees it.
#include <iostream>
#include <nlohmann/json.hpp>

#include "cli/Command.h"
#include "cli/PrintJson.h"
#include "cli/TerminalInteraction.h"
#include "core/Log.h"
#include "core/ZConfig.h"
#include "device/AdapterLock.h"
#include "device/HardwareTests.h"
#include "device/ZKRYDevice.h"
#include "device/ZKRYSdk.h"

namespace cli {
namespace {

using nlohmann::json;

// Loads the configuration and binds the SDK; false after the loader's message.
bool Prepare(TerminalInteraction& ui) {
  core::SetUpLog("orbmanager-cli.log");
  if (!core::ZConfig::Instance().Load()) return false;
  if (device::ZKRYSdk::Instance().Load(ui)) return true;
  std::cerr << "Load SDK dll failed！" << std::endl;
  return false;
}

json ModuleJson(const device::ZKRYDevice& dev) {
  if (dev.ExtensionEmpty()) return nullptr;
  const device::ModuleInfo m = dev.module();
  return {
      {"pid", m.pid}, {"name", m.name}, {"version", m.version}, {"date", m.date}, {"ssid", m.ssid}};
}

json ReportJson(const device::ZKRYDevice& dev, std::int32_t openResult, bool read) {
  json j;
  j["connected"] = read;
  j["inUse"] = dev.inUse();
  j["openResult"] = openResult;
  j["serial"] = dev.serialNumber();
  if (!read) {
    for (const char* key : {"pid", "hardwareName", "firmwareName", "firmwareVersion",
                            "firmwareDate", "module", "interface"})
      j[key] = nullptr;
    return j;
  }
  j["pid"] = dev.pid();
  j["hardwareName"] = dev.hardwareName();
  j["firmwareName"] = dev.firmwareName();
  j["firmwareVersion"] = dev.firmwareVersion();
  j["firmwareDate"] = dev.firmwareDate();
  j["module"] = ModuleJson(dev);
  j["interface"] = {
      {"type", dev.commIf().type}, {"port", dev.commIf().port}, {"address", dev.address()}};
  return j;
}

int Report(device::ZKRYDevice& dev) {
  const std::int32_t openResult = dev.Open();
  bool read = false;
  if (openResult == KRY_OK) {
    read = dev._ReadHWInfo();
    if (!read) LOG_ERROR("Filed on read device info.");
  } else {
    LOG_ERROR("Filed on connect device.");
  }
  // Printed before closing: closing clears the blocks.
  PrintJson(ReportJson(dev, openResult, read));
  dev.Close();
  if (!read)
    std::cerr << (dev.inUse() ? "Device is in use" : "Device is not connected") << std::endl;
  return read ? kSuccess : kFailure;
}

int HardwareTest(device::ZKRYDevice& dev, TerminalInteraction& ui, const std::string& which) {
  const device::HardwareTestResult r =
      which == "led" ? device::RunLedTest(dev, ui) : device::RunBeepTest(dev, ui);
  bool ok = r.openResult == KRY_OK;
  for (std::int32_t c : r.callResults) ok = ok && c == KRY_OK;
  PrintJson({{"test", which},
             {"openResult", r.openResult},
             {"inUse", dev.inUse()},
             {"results", r.callResults}});
  return ok ? kSuccess : kFailure;
}

// Keeps the adapter from other programs' procedures while this command uses it; the read
// waits a moment for one to end, the tests do not.
device::AdapterLock TakeAdapter(bool read) {
  std::string holder;
  device::AdapterLock lock = device::AdapterLock::Take(
      device::CurrentAdapterLockPath(), read ? "the device report" : "the device test",
      read ? 2000 : 0, &holder);
  if (!lock) std::cerr << device::AdapterBusyText(holder) << std::endl;
  return lock;
}

int DeviceCommand(const std::vector<std::string>& args) {
  if (args.size() > 1 || (args.size() == 1 && args[0] != "led" && args[0] != "beep"))
    return BadUsage("device takes nothing, led or beep");
  TerminalInteraction ui;
  if (!Prepare(ui)) return kFailure;
  const device::AdapterLock lock = TakeAdapter(args.empty());
  if (!lock) return kFailure;
  device::ZKRYDevice dev;
  return args.empty() ? Report(dev) : HardwareTest(dev, ui, args[0]);
}

const Registrar kDevice({"device", "device [led|beep]", DeviceCommand});

}  // namespace
}  // namespace cli
