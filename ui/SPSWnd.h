#pragma once
// The SPS page: the link catalogue in "lstSPS" (number, description, address, account),
// rows red for links that need an account and green otherwise; choosing a row opens its
// address in the default browser.
#include "apps/ZSPSManager.h"
#include "ui/GUIWnd.h"

namespace ui {

class List;

class SPSWnd : public GUIWnd {
 public:
  static constexpr unsigned kAccountRow = 0xFFEE0000;
  static constexpr unsigned kOpenRow = 0xFF00EE00;
  // Black reads on both row colours (4.6:1 on the red, 13:1 on the green); white would
  // not on the green.
  static constexpr unsigned kRowText = 0xFF000000;

  // `links` may be none (no catalogue): the list stays empty.
  explicit SPSWnd(const apps::ZSPSManager* links) : links_(links) {}

  // The row's link in the default browser; false when there is none to open.
  bool OpenRow(int row);

 protected:
  QString GetSkinFile() override { return "SPSWnd.xml"; }
  QString GetWindowClassName() const override { return "SPSWnd"; }
  void OnFindControl() override;
  void OnPrepare() override;
  void Notify(TNotifyUI& msg) override;

 private:
  const apps::ZSPSManager* links_;
  List* list_ = nullptr;
};

}  // namespace ui
