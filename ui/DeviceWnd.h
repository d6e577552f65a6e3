#pragma once
// The device page: a tab bar on the left ("navDevice") and one sub-page at a time on the
// right: the information page, the communication settings page, the history page, or an
// extra page built from the layout file its tab button names in its user data.
#include <QColor>
#include <QHash>
#include <utility>
#include <vector>

#include "core/Interaction.h"
#include "core/ZCommSettings.h"
#include "ui/GUIWnd.h"

namespace ui {

class DeviceBaseWnd;
class DeviceConfigWnd;
class DeviceHistoryWnd;
class DeviceInfoWnd;

class DeviceWnd : public GUIWnd {
 public:
  static constexpr int kSubPageX = 180, kSubPageY = 0, kSubPageWidth = 779, kSubPageHeight = 569;

  DeviceWnd(core::ZCommSettings& settings, core::Interaction& ui);

  DeviceInfoWnd* infoPage() const { return info_; }
  DeviceConfigWnd* configPage() const { return config_; }
  DeviceHistoryWnd* historyPage() const { return history_; }
  // The extra pages in the order they were first opened.
  const std::vector<std::pair<Control*, DeviceBaseWnd*>>& extraPages() const { return extra_; }
  QColor normalTabColor() const { return normalBk_; }
  QColor selectedTabColor() const { return selectedBk_; }

 protected:
  QString GetSkinFile() override { return "DeviceWnd.xml"; }
  QString GetWindowClassName() const override { return "DeviceWndG"; }
  void OnFindControl() override;
  void OnClick(TNotifyUI& msg) override;

 private:
  void SetTabLook(Control* tab, bool selected);
  void ShowFixedPage(Control* tab, GUIWnd* page);
  QRect SubPagePlace() const { return QRect(kSubPageX, kSubPageY, kSubPageWidth, kSubPageHeight); }

  core::ZCommSettings& settings_;
  core::Interaction& ui_;
  std::vector<std::pair<Control*, DeviceBaseWnd*>> extra_;
  DeviceInfoWnd* info_ = nullptr;
  DeviceConfigWnd* config_ = nullptr;
  DeviceHistoryWnd* history_ = nullptr;
  Control* tabInfo_ = nullptr;
  Control* tabConfig_ = nullptr;
  Control* tabHistory_ = nullptr;
  Control* nav_ = nullptr;
  QColor normalBk_, selectedBk_, normalText_;
  QHash<Control*, ControlLook> tabLooks_;  // each tab as its layout drew it
};

}  // namespace ui
