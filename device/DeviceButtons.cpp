#include "device/DeviceButtons.h"

#include "core/ProgramTexts.h"

namespace device {

ButtonOutcome RunDeviceButton(DeviceProcedures& procedures, core::Interaction& ui,
                              DeviceButton button, const std::function<void()>& refresh) {
  const auto probed = [&](const std::function<void()>& then) {
    if (!procedures.Probe()) return ButtonOutcome::NotConnected;
    then();
    return ButtonOutcome::Done;
  };
  const auto tool = [&](DeviceTool which) {
    procedures.StartTool(which);
    return ButtonOutcome::Done;
  };
  switch (button) {
    case DeviceButton::FirmwareUpdate:
      procedures.FirmwareUpdate();
      if (refresh) refresh();
      return ButtonOutcome::Done;
    // Both tests end the same way, so the user sees that the test has run.
    case DeviceButton::SelfTest:
    case DeviceButton::HardwareTest:
      return probed([&] {
        procedures.LedTest();
        procedures.BeepTest();
        ui.ShowTip("LUWNDTIP", core::Text(core::TextId::kComplete), 0);
      });
    case DeviceButton::Reset:
      return probed([&] { procedures.Reset(); });
    case DeviceButton::RefreshDevice:
      return probed([&] {
        if (refresh) refresh();
      });
    case DeviceButton::DoIPConfig:
      return tool(DeviceTool::DoIPSwitch);
    case DeviceButton::OBDVoltage:
      return tool(DeviceTool::OBDVoltage);
    case DeviceButton::CaptureLog:
      return tool(DeviceTool::CaptureLog);
    case DeviceButton::RepairDevice:
      return tool(DeviceTool::RepairDevice);
    case DeviceButton::UnlockDevice:
      procedures.Unlock();
      return ButtonOutcome::Done;
  }
  return ButtonOutcome::Done;
}

}  // namespace device
