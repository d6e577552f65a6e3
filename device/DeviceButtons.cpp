#include "device/DeviceButtons.h"

#include "core/ProgramTexts.h"

namespace device {

ButtonOutcome RunDeviceButton(DeviceProcedures& procedures, core::Interaction& ui,
                              const std::string& control, const std::function<void()>& refresh) {
  const auto probed = [&](const std::function<void()>& then) {
    if (!procedures.Probe()) return ButtonOutcome::NotConnected;
    then();
    return ButtonOutcome::Done;
  };
  const auto tool = [&](DeviceTool which) {
    procedures.StartTool(which);
    return ButtonOutcome::Done;
  };
  if (control == "btnFWUpdate") {
    procedures.FirmwareUpdate();
    if (refresh) refresh();
    return ButtonOutcome::Done;
  }
  // Both tests end the same way, so the user sees that the test has run.
  if (control == "btnSelfTest" || control == "btnHWTest")
    return probed([&] {
      procedures.LedTest();
      procedures.BeepTest();
      ui.ShowTip("LUWNDTIP", core::Text(core::TextId::kComplete), 0);
    });
  if (control == "btnReset") return probed([&] { procedures.Reset(); });
  if (control == "btnRefreshDevice")
    return probed([&] {
      if (refresh) refresh();
    });
  if (control == "btnDoIPConfig") return tool(DeviceTool::DoIPSwitch);
  if (control == "btnOBDVoltage") return tool(DeviceTool::OBDVoltage);
  if (control == "btnLog") return tool(DeviceTool::CaptureLog);
  if (control == "btnRepairDevice") return tool(DeviceTool::RepairDevice);
  if (control == "btnUnLockDevice") {
    procedures.Unlock();
    return ButtonOutcome::Done;
  }
  return ButtonOutcome::NotAButton;
}

}  // namespace device
