#include "ui/DeviceInfoWnd.h"

#include <QPointer>
#include <optional>
#include <utility>

#include "app/ZCoreManager.h"
#include "core/ProgramTexts.h"
#include "device/DeviceButtons.h"
#include "ui/ListControl.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace ui {
namespace {

// The page's layout names of the device buttons.
std::optional<device::DeviceButton> ButtonNamed(const std::string& control) {
  static const std::pair<const char*, device::DeviceButton> kButtons[] = {
      {"btnFWUpdate", device::DeviceButton::FirmwareUpdate},
      {"btnSelfTest", device::DeviceButton::SelfTest},
      {"btnHWTest", device::DeviceButton::HardwareTest},
      {"btnReset", device::DeviceButton::Reset},
      {"btnRefreshDevice", device::DeviceButton::RefreshDevice},
      {"btnDoIPConfig", device::DeviceButton::DoIPConfig},
      {"btnOBDVoltage", device::DeviceButton::OBDVoltage},
      {"btnLog", device::DeviceButton::CaptureLog},
      {"btnRepairDevice", device::DeviceButton::RepairDevice},
      {"btnUnLockDevice", device::DeviceButton::UnlockDevice},
  };
  for (const auto& [name, button] : kButtons)
    if (control == name) return button;
  return std::nullopt;
}

}  // namespace

DeviceInfoWnd::DeviceInfoWnd(core::Interaction& ui) : ui_(ui) { opThread_.Start(); }

DeviceInfoWnd::~DeviceInfoWnd() { opThread_.Stop(); }

void DeviceInfoWnd::OnFindControl() {
  list_ = Find<List>("lstDevInfo");
  deviceImage_ = FindControl("deviceImage");
  connImage_ = FindControl("deviceConnImage");
  firmwareButton_ = FindControl("btnFWUpdate");
}

void DeviceInfoWnd::SetProcedures(device::DeviceProcedures* procedures) {
  procedures_ = procedures;
  if (!procedures_) return;
  // A reset shows its picture and its refreshed report while it runs; whoever calls, the
  // page changes on the UI thread.
  device::DevicePageView view;
  QPointer<DeviceInfoWnd> self(this);
  view.showReport = [self](const device::DeviceReport& report) {
    RunOnUi([&] {
      if (self) self->ShowReport(report);
    });
  };
  view.showConnectionPicture = [self](const std::string& picture) {
    RunOnUi([&] {
      if (self) self->ShowConnectionPicture(picture);
    });
  };
  if (firmwareButton_) view.firmwareButtonText = firmwareButton_->text().toStdString();
  procedures_->BindPage(std::move(view));
  if (list_) UpdateDeviceInfo();
}

device::DeviceReport DeviceInfoWnd::UnboundReport() const {
  // No adapter binding: the report of an adapter that cannot be opened.
  const core::ZCommSettings* comm = app::ZCoreManager::Instance().commSettings();
  return device::NoAdapterReport(comm ? comm->current().Name : "");
}

void DeviceInfoWnd::UpdateDeviceInfo() {
  ShowReport(procedures_ ? procedures_->Report() : UnboundReport());
}

void DeviceInfoWnd::ShowReport(const device::DeviceReport& report) {
  if (!report.serialText.empty()) shownSerial_ = report.serialText;
  if (list_) {
    list_->RemoveAll();
    list_->SetItemFont(report.noticeFont ? 1 : 0);
    for (const device::ReportRow& row : report.rows) {
      auto* element = new ListTextElement;
      element->SetManager(&paintManager());
      element->SetBkColor(QColor::fromRgba(0xFF00FF00));
      element->SetText(0, Q(row.label));
      switch (row.kind) {
        case device::ReportRow::Kind::Header:
          element->SetAttribute("bkimage", "devinfolist.png");
          element->SetAttribute("minheight", "32");
          element->SetFont(2);
          break;
        case device::ReportRow::Kind::Notice:
          element->SetText(1, Q(row.value));
          element->SetAttribute("minheight", "60");
          element->SetAttribute("wordbreak", "true");
          element->SetFont(1);
          break;
        case device::ReportRow::Kind::Value:
          element->SetText(1, Q(row.value));
          break;
      }
      list_->Add(element);
    }
  }
  if (deviceImage_) {
    if (!report.modelImage.empty()) deviceImage_->SetAttribute("bkimage", Q(report.modelImage));
    deviceImage_->SetToolTip(Q(report.connectionTip));
  }
  if (connImage_) {
    if (!report.connectionImage.empty())
      connImage_->SetAttribute("bkimage", Q(report.connectionImage));
    connImage_->SetToolTip(Q(report.connectionTip));
  }
  if (firmwareButton_ && !report.firmwareButtonText.empty())
    firmwareButton_->SetText(Q(report.firmwareButtonText));
  if (listener_) listener_(report);
}

void DeviceInfoWnd::ShowConnectionPicture(const std::string& picture) {
  if (!connImage_) return;
  connImage_->SetAttribute("bkimage", Q(picture));
  connImage_->widget()->repaint();
}

void DeviceInfoWnd::AutoFirmwareCheck() {
  if (!procedures_) return;
  // A page busy with a procedure keeps what it shows; the procedure refreshes it itself.
  if (procedures_->AutoFirmwareUpdate() || !procedures_->busy()) UpdateDeviceInfo();
}

void DeviceInfoWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const std::string name = msg.pSender->name().toStdString();
  if (procedures_) {
    if (const auto button = ButtonNamed(name))
      device::RunDeviceButton(*procedures_, ui_, *button, [this] { UpdateDeviceInfo(); });
    return;
  }
  // Without an adapter binding there is no adapter to work with.
  if (name.rfind("btn", 0) == 0)
    ui_.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
}

}  // namespace ui
