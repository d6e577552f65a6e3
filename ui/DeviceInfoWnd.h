#pragma once
// The device information page: the report rows in "lstDevInfo", the model and connection
// pictures, and the ten device buttons handed to the adapter procedures.
#include <functional>
#include <memory>

#include "core/Interaction.h"
#include "device/DeviceOPThread.h"
#include "device/DeviceProcedures.h"
#include "ui/GUIWnd.h"

namespace ui {

class List;

class DeviceInfoWnd : public GUIWnd {
 public:
  explicit DeviceInfoWnd(core::Interaction& ui);
  ~DeviceInfoWnd() override;

  // Binds the adapter procedures (not owned) and shows their report; without them the
  // page reports no adapter.
  void SetProcedures(device::DeviceProcedures* procedures);
  // Called with every report shown (the main window's serial and voltage labels).
  void SetReportListener(std::function<void(const device::DeviceReport&)> listener) {
    listener_ = std::move(listener);
  }

  void UpdateDeviceInfo();
  void ShowReport(const device::DeviceReport& report);
  // The main frame's timer after start-up: the firmware window when due, then the report.
  void AutoFirmwareCheck();
  device::DeviceOPThread& opThread() { return opThread_; }
  // The serial number of the adapter the page read last; empty before the first one.
  const std::string& shownSerial() const { return shownSerial_; }

 protected:
  QString GetSkinFile() override { return "DeviceInfoWnd.xml"; }
  QString GetWindowClassName() const override { return "DeviceInfoWnd"; }
  void OnFindControl() override;
  void OnPrepare() override { UpdateDeviceInfo(); }
  void OnClick(TNotifyUI& msg) override;

 private:
  device::DeviceReport UnboundReport() const;
  void ShowConnectionPicture(const std::string& picture);

  core::Interaction& ui_;
  device::DeviceProcedures* procedures_ = nullptr;
  std::function<void(const device::DeviceReport&)> listener_;
  device::DeviceOPThread opThread_;
  List* list_ = nullptr;
  Control* deviceImage_ = nullptr;
  Control* connImage_ = nullptr;
  Control* firmwareButton_ = nullptr;
  std::string shownSerial_;
};

}  // namespace ui
