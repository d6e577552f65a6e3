#pragma once
// The device page's reset: restarts the VCI's communication module through the SDK and,
// where the adapter carries a DoIP module, the module's system over its command service,
// each followed by a timed wait in a progress window; the report is refreshed at the end.
#include <functional>
#include <string>

#include "core/Interaction.h"
#include "device/DeviceUseGuard.h"

namespace device {
class DeviceOPThread;
class ZKRYDevice;
}  // namespace device

namespace firmware {

struct ResetContext {
  core::Interaction& ui;
  device::DeviceOPThread& operations;
  // Sets the page's connection picture (to "conn_unknow.png" after the reset).
  std::function<void(const std::string&)> setConnectionPicture;
  // Runs the device report again.
  std::function<void()> refreshReport;
  std::string modulePort = "7890";
  // The caller's holding of the adapter; the timed waits keep a share of it.
  device::DeviceUse use;
};

// What a reset did, for the callers that log or test it.
struct ResetOutcome {
  bool reset = false;       // KRY_DEV_Reset was called
  bool moduleStep = false;  // the module had its restart step
  bool rebootSent = false;  // the "reboot" command went out whole
};

ResetOutcome HWReset(device::ZKRYDevice* device, ResetContext& context);

// Sends "reboot" to the module's command service and drops what it answers; true when the
// command went out whole. Its replies are read for five seconds at most.
bool SendModuleReboot(const std::string& address, const std::string& port);

}  // namespace firmware
