#pragma once
// What the device information page asks of the adapter procedures. The core implements it
// over the application core's managers (app::ZDeviceProcedures); the page only passes its
// button clicks on and draws what comes back. Every call runs on the user-interface thread
// of the GUI (or the CLI's one thread) and returns when the procedure is over.
#include <functional>
#include <string>

#include "device/DeviceReport.h"

namespace device {

// The four external maintenance tools started from the page.
enum class DeviceTool { DoIPSwitch, OBDVoltage, CaptureLog, RepairDevice };

// What the procedures change on the page while they run: the report a reset refreshes by
// itself, and the connection picture during the reset.
struct DevicePageView {
  std::function<void(const DeviceReport&)> showReport;
  std::function<void(const std::string& picture)> showConnectionPicture;
  // The firmware button's text as the page's layout gives it; the report's marker rule
  // works on it.
  std::string firmwareButtonText;
};

class DeviceProcedures {
 public:
  virtual ~DeviceProcedures() = default;
  virtual void BindPage(DevicePageView view) = 0;
  // A procedure holds the adapter, or a device operation (the wait after a reset) runs.
  virtual bool busy() const = 0;
  // The report of the adapter as it is now.
  virtual DeviceReport Report() = 0;
  // Opens and closes the adapter; on failure it has told the user and returns false.
  virtual bool Probe() = 0;
  virtual void LedTest() = 0;
  virtual void BeepTest() = 0;
  // The firmware window after the page's checks; true when it was opened (it has closed
  // again when this returns).
  virtual bool FirmwareUpdate() = 0;
  // The firmware window opened by itself after start-up, when its conditions hold; never
  // shows a message when they do not.
  virtual bool AutoFirmwareUpdate() = 0;
  // The reset refreshes the report through the page view when it has reset the adapter.
  virtual void Reset() = 0;
  virtual void Unlock() = 0;
  // Starts a tool under its configured name; a tool that cannot be found or started is
  // reported to the user and gives false.
  virtual bool StartTool(DeviceTool tool) = 0;
};

}  // namespace device
