#include "ui/DeviceInfoWnd.h"

#include "app/ZCoreManager.h"
#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "platform/Files.h"
#include "platform/Processes.h"
#include "ui/ListControl.h"

namespace ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

DeviceInfoWnd::DeviceInfoWnd(core::Interaction& ui) : ui_(ui) { opThread_.Start(); }

DeviceInfoWnd::~DeviceInfoWnd() { opThread_.Stop(); }

void DeviceInfoWnd::OnFindControl() {
  list_ = Find<List>("lstDevInfo");
  deviceImage_ = FindControl("deviceImage");
  connImage_ = FindControl("deviceConnImage");
}

device::DeviceReport DeviceInfoWnd::UnboundReport() const {
  // No adapter binding: the report of an adapter that cannot be opened.
  device::DeviceReport report;
  report.noticeFont = true;
  std::string name;
  if (auto* comm = app::ZCoreManager::Instance().commSettings()) name = comm->current().Name;
  report.rows.push_back({device::ReportRow::Kind::Notice, core::Text(3), "(" + name + ")"});
  report.connectionImage = "conn_unknow.png";
  report.connectionTip = "none device";
  return report;
}

void DeviceInfoWnd::UpdateDeviceInfo() {
  ShowReport(procedures_ ? procedures_->Report() : UnboundReport());
}

void DeviceInfoWnd::ShowReport(const device::DeviceReport& report) {
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
  if (listener_) listener_(report);
}

void DeviceInfoWnd::AutoFirmwareCheck() {
  if (procedures_) procedures_->AutoFirmwareUpdate();
  UpdateDeviceInfo();
}

bool DeviceInfoWnd::Probe() {
  if (procedures_) return procedures_->Probe();
  ui_.ShowMessage(core::Text(3), "", core::MessageIcon::Error);
  return false;
}

void DeviceInfoWnd::StartExternal(const std::string& name) {
  // The tools lie beside the program's root folder under their configured names.
  const std::string root = core::ZConfig::Instance().root;
  const std::string path = platform::JoinPath(root, name);
  std::string program = platform::ResolveProgram(name, root);
  if (program.empty()) program = path;
  if (!platform::ShellOpen(program, "", platform::FolderOf(path)))
    LOG_WARN("Failed to start {0}.", path);
}

void DeviceInfoWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  const QString name = msg.pSender->name();
  const core::ZConfig& config = core::ZConfig::Instance();
  if (name == "btnFWUpdate") {
    if (procedures_) procedures_->FirmwareUpdate();
    UpdateDeviceInfo();
  } else if (name == "btnSelfTest") {
    if (!Probe()) return;
    procedures_->LedTest();
    procedures_->BeepTest();
    ui_.ShowTip("LUWNDTIP", core::Text(24), 0);
  } else if (name == "btnHWTest") {
    if (!Probe()) return;
    procedures_->LedTest();
    procedures_->BeepTest();
  } else if (name == "btnReset") {
    if (Probe()) procedures_->Reset();
  } else if (name == "btnRefreshDevice") {
    if (Probe()) UpdateDeviceInfo();
  } else if (name == "btnDoIPConfig") {
    StartExternal(config.DoIPSwitchProgram);
  } else if (name == "btnOBDVoltage") {
    StartExternal(config.OBDVoltageProgram);
  } else if (name == "btnLog") {
    StartExternal(config.CaptureLogProgram);
  } else if (name == "btnRepairDevice") {
    StartExternal(config.RepairDeviceProgram);
  } else if (name == "btnUnLockDevice") {
    if (procedures_) procedures_->Unlock();
  }
}

}  // namespace ui
