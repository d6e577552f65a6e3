#pragma once
// The device page's procedures over the application core: the report, the probe, the LED
// and beep tests, the firmware window's opening checks, the reset, the unlock and the
// external tools. The windowed program and the command-line front end both run them, so
// each does exactly what the page does.
//
// One procedure at a time uses the adapter (the device object's use guard): asked for while
// another runs (the firmware job, the wait after a reset), a procedure is refused with a
// message and makes no SDK call.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "core/Interaction.h"
#include "device/AdapterConsole.h"
#include "device/DeviceOPThread.h"
#include "device/DeviceProcedures.h"
#include "device/DeviceUseGuard.h"
#include "firmware/FirmwareUpdateJob.h"

namespace app {

class ZCoreManager;

class ZDeviceProcedures : public device::DeviceProcedures {
 public:
  // Shows the firmware window for the job and returns when it has closed. The job's
  // setup carries the opener's holding of the adapter.
  using FirmwareWindow = std::function<void(firmware::FirmwareJobSetup)>;
  // How long a procedure waits for the adapter before it is refused (program time).
  static constexpr std::int64_t kBusyWaitMs = 100;
  // How long a short read waits for a procedure of another program.
  static constexpr std::int64_t kShortReadWaitMs = 2000;

  // `operations` is the device page's worker for the timed waits.
  ZDeviceProcedures(ZCoreManager& core, core::Interaction& ui, device::DeviceOPThread& operations);
  ~ZDeviceProcedures() override;

  void SetFirmwareWindow(FirmwareWindow window) { firmwareWindow_ = std::move(window); }
  // The folder the model pictures are looked up in; by default the program's skin.
  void SetSkinFolder(std::string folder) { skinFolder_ = std::move(folder); }

  void BindPage(device::DevicePageView view) override;
  bool busy() const override;
  device::DeviceReport Report() override;
  bool Probe() override;
  void LedTest() override;
  void BeepTest() override;
  bool FirmwareUpdate() override;
  bool AutoFirmwareUpdate() override;
  void Reset() override;
  void Unlock() override { UnlockAdapter(); }
  // The unlock with what the console dialogue found (kConsoleNoReply also when the user
  // cancelled or the adapter was busy).
  device::ConsoleResult UnlockAdapter();
  bool StartTool(device::DeviceTool tool) override;

  // The page state after the last report (PIDs, flags, the firmware button's text).
  device::DeviceReport lastReport() const;
  bool firmwareWindowShown() const { return firmwareWindowShown_; }
  // The adapter, or none when the core has no device object.
  device::ZKRYDevice* device() const;

 private:
  // Takes the adapter for `procedure`; when another procedure holds it, tells the user
  // (unless `quiet`) and gives an empty use.
  device::DeviceUse TakeDevice(const std::string& procedure, bool quiet = false);
  // The report with the adapter already taken.
  device::DeviceReport RunReport();
  bool RunProbe(device::ZKRYDevice& device);
  void ShowReport(const device::DeviceReport& report);
  // Steps 5 and 6 of the opening: the job set-up and the window.
  bool OpenFirmwareWindow(device::ZKRYDevice& device, device::DeviceUse use);
  // One reset or unlock in the update history.
  void RecordRun(const char* what, device::ZKRYDevice& device, bool ok, const std::string& reason);

  ZCoreManager& core_;
  core::Interaction& ui_;
  device::DeviceOPThread& operations_;
  FirmwareWindow firmwareWindow_;
  std::string skinFolder_;
  mutable std::mutex mutex_;  // guards report_ and view_
  device::DeviceReport report_;
  device::DevicePageView view_;
  std::atomic<bool> firmwareWindowShown_{false};
  std::atomic<bool> autoOpeningDone_{false};
};

}  // namespace app
