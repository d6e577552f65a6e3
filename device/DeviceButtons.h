#pragma once
// The device information page's ten buttons and the procedures behind them, in one table
// that the page and the command-line front end share.
#include <functional>

#include "core/Interaction.h"
#include "device/DeviceProcedures.h"

namespace device {

enum class DeviceButton {
  FirmwareUpdate,
  SelfTest,
  HardwareTest,
  Reset,
  RefreshDevice,
  DoIPConfig,
  OBDVoltage,
  CaptureLog,
  RepairDevice,
  UnlockDevice,
};

enum class ButtonOutcome {
  Done,
  NotConnected,  // the probe before the procedure found no adapter (and said so)
};

// Runs what a click on `button` does. `refresh` shows a new report on the page; it runs
// after the firmware window and for the refresh button.
ButtonOutcome RunDeviceButton(DeviceProcedures& procedures, core::Interaction& ui,
                              DeviceButton button, const std::function<void()>& refresh);

}  // namespace device
