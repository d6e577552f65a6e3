#include "ui/DeviceConfigWnd.h"

#include "ui/Controls.h"
#include "ui/ProgramExit.h"
#include "ui/QtText.h"

namespace ui {
DeviceConfigWnd::DeviceConfigWnd(core::ZCommSettings& settings, core::Interaction& ui)
    : page_(settings), ui_(ui) {}

void DeviceConfigWnd::OnFindControl() {
  connImage_ = FindControl("connImage");
  type_ = Find<Combo>("cboConnType");
  labelAddress_ = FindControl("labelIPAddr");
  address_ = FindControl("edtIPAddr");
  labelPort_ = FindControl("labelPort");
  port_ = FindControl("edtPort");
  unlock_ = Find<Combo>("cboUnlockDevice");
  logLevel_ = Find<Combo>("cboLogLevel");
  logFlag_ = Find<Combo>("cboLogFlag");
  save_ = FindControl("btnSave");
  ShowSettings();
  // The first view shows the stored type's picture; later shows leave the picture alone.
  const device::CommPageState state = ReadState();
  if (connImage_ && state.typePosition >= 0)
    connImage_->SetAttribute("bkimage",
                             device::CommSettingsPage::PictureOfPosition(state.typePosition));
}

device::CommPageState DeviceConfigWnd::ReadState() const {
  device::CommPageState s;
  if (type_) s.typePosition = type_->GetCurSel();
  if (port_) {
    s.portText = port_->text().toStdString();
    s.portEnabled = port_->IsEnabled();
  }
  if (address_) {
    s.addressText = address_->text().toStdString();
    s.addressEnabled = address_->IsEnabled();
  }
  if (unlock_) s.unlockPosition = unlock_->GetCurSel();
  if (logLevel_) s.logLevelPosition = logLevel_->GetCurSel();
  if (logFlag_) s.logFlagPosition = logFlag_->GetCurSel();
  return s;
}

void DeviceConfigWnd::ApplyState(const device::CommPageState& s) {
  if (type_) type_->SelectItem(s.typePosition);
  if (port_) {
    port_->SetText(Q(s.portText));
    port_->SetEnabled(s.portEnabled);
  }
  if (labelPort_) labelPort_->SetEnabled(s.portEnabled);
  if (address_) {
    address_->SetText(Q(s.addressText));
    address_->SetEnabled(s.addressEnabled);
  }
  if (labelAddress_) labelAddress_->SetEnabled(s.addressEnabled);
  if (unlock_) unlock_->SelectItem(s.unlockPosition);
  if (logLevel_) logLevel_->SelectItem(s.logLevelPosition);
  if (logFlag_) logFlag_->SelectItem(s.logFlagPosition);
  if (connImage_ && !s.picture.empty()) connImage_->SetAttribute("bkimage", Q(s.picture));
}

void DeviceConfigWnd::ShowSettings() {
  device::CommPageState state = ReadState();
  page_.Show(state);
  state.picture.clear();
  ApplyState(state);
}

void DeviceConfigWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == "itemselect" && msg.pSender && msg.pSender == type_) {
    device::CommPageState state = ReadState();
    page_.SelectType(type_->GetCurSel(), state);
    ApplyState(state);
    return;
  }
  GUIWnd::Notify(msg);
}

void DeviceConfigWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender || msg.pSender != save_) return;
  const auto outcome = page_.Save(ReadState(), ui_);
  if (outcome == device::CommSettingsPage::SaveOutcome::EndProgram) {
    EndProgram(0);
    return;
  }
  if (outcome != device::CommSettingsPage::SaveOutcome::Cancelled) ShowSettings();
}

}  // namespace ui
