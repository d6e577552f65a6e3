#pragma once
// The communication settings page: the controls of "DeviceConfigWnd.xml" bound to the
// page logic of device::CommSettingsPage.
#include "core/Interaction.h"
#include "device/CommSettingsPage.h"
#include "ui/GUIWnd.h"

namespace ui {

class Combo;

class DeviceConfigWnd : public GUIWnd {
 public:
  DeviceConfigWnd(core::ZCommSettings& settings, core::Interaction& ui);

  // The controls as the page logic sees them, and back.
  device::CommPageState ReadState() const;
  void ApplyState(const device::CommPageState& state);
  void ShowSettings();

 protected:
  QString GetSkinFile() override { return "DeviceConfigWnd.xml"; }
  QString GetWindowClassName() const override { return "DeviceConfigWnd"; }
  void OnFindControl() override;
  void OnClick(TNotifyUI& msg) override;
  void Notify(TNotifyUI& msg) override;

 private:
  device::CommSettingsPage page_;
  core::Interaction& ui_;
  Control* connImage_ = nullptr;
  Combo* type_ = nullptr;
  Control* labelAddress_ = nullptr;
  Control* address_ = nullptr;
  Control* labelPort_ = nullptr;
  Control* port_ = nullptr;
  Combo* unlock_ = nullptr;
  Combo* logLevel_ = nullptr;
  Combo* logFlag_ = nullptr;
  Control* save_ = nullptr;
};

}  // namespace ui
