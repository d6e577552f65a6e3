#include "ui/DeviceWnd.h"

#include "ui/DeviceBaseWnd.h"
#include "ui/DeviceConfigWnd.h"
#include "ui/DeviceHistoryWnd.h"
#include "ui/DeviceInfoWnd.h"

namespace ui {

DeviceWnd::DeviceWnd(core::ZCommSettings& settings, core::Interaction& ui)
    : settings_(settings), ui_(ui) {}

void DeviceWnd::OnFindControl() {
  info_ = new DeviceInfoWnd(ui_);
  info_->Create(this, "InfoWnd", true, SubPagePlace());
  info_->show();
  config_ = new DeviceConfigWnd(settings_, ui_);
  config_->Create(this, "DeviceConfigWnd", true, SubPagePlace());
  config_->hide();
  history_ = new DeviceHistoryWnd;
  history_->Create(this, "DeviceHistoryWnd", true, SubPagePlace());
  history_->hide();

  nav_ = FindControl("navDevice");
  tabInfo_ = FindControl("btnTabDeviceInfo");
  tabConfig_ = FindControl("btnTabDeviceConfig");
  tabHistory_ = FindControl("btnTabDeviceHistory");
  normalBk_ = nav_ && nav_->look().bk.isValid() ? nav_->look().bk : QColor::fromRgba(0xFFFFFFFF);
  selectedBk_ = nav_ && nav_->look().focusBorder.isValid() ? nav_->look().focusBorder
                                                           : QColor::fromRgba(0xFF028CF1);
  normalText_ = tabInfo_ ? tabInfo_->look().text : QColor::fromRgba(0xFF000000);
  SetTabLook(tabConfig_, false);
  SetTabLook(tabHistory_, false);
  SetTabLook(tabInfo_, true);
}

void DeviceWnd::SetTabLook(Control* tab, bool selected) {
  if (!tab) return;
  auto it = tabLooks_.find(tab);
  if (it == tabLooks_.end()) it = tabLooks_.insert(tab, tab->look());
  ControlLook look = *it;
  look.bk = selected ? selectedBk_ : normalBk_;
  look.text = selected ? QColor::fromRgba(kTextOnAccent) : normalText_;
  if (selected) {
    look.hotBk = selectedBk_;
    look.hotText = look.text;
    // A tab's icon for the selected look, where the layout gives one.
    if (!look.selectedImage.empty()) look.normalImage = look.hotImage = look.selectedImage;
  }
  tab->look() = look;
  tab->widget()->update();
}

void DeviceWnd::ShowFixedPage(Control* tab, GUIWnd* shown) {
  for (auto& [button, page] : extra_) {
    page->hide();
    SetTabLook(button, false);
  }
  SetTabLook(tabInfo_, false);
  SetTabLook(tabConfig_, false);
  SetTabLook(tabHistory_, false);
  info_->setVisible(shown == info_);
  config_->setVisible(shown == config_);
  history_->setVisible(shown == history_);
  SetTabLook(tab, true);
}

void DeviceWnd::OnClick(TNotifyUI& msg) {
  Control* sender = msg.pSender;
  if (!sender) return;
  if (sender == tabInfo_) return ShowFixedPage(tabInfo_, info_);
  if (sender == tabConfig_) return ShowFixedPage(tabConfig_, config_);
  if (sender == tabHistory_) {
    // Read afresh each time: the other pages, the command line and the tools add records.
    history_->ShowFor(info_->shownSerial());
    return ShowFixedPage(tabHistory_, history_);
  }
  if (sender->className() != "ButtonUI") return;
  auto found = std::find_if(extra_.begin(), extra_.end(),
                            [sender](const auto& entry) { return entry.first == sender; });
  if (found == extra_.end()) {
    auto* page = new DeviceBaseWnd(sender->userData());
    page->Create(this, "DeviceWndStaticPage", true, SubPagePlace());
    extra_.emplace_back(sender, page);
  }
  for (auto& [button, page] : extra_) {
    page->hide();
    SetTabLook(button, false);
  }
  SetTabLook(tabInfo_, false);
  SetTabLook(tabConfig_, false);
  SetTabLook(tabHistory_, false);
  info_->hide();
  config_->hide();
  history_->hide();
  for (auto& [button, page] : extra_) {
    const bool shown = button == sender;
    page->setVisible(shown);
    SetTabLook(button, shown);
  }
}

}  // namespace ui
