#pragma once
// The remote diagnosis page: two tabs over one embedded browser "web", the remote
// diagnosis page and its help page. Every tab click navigates again, also to the page
// already shown.
#include "ui/GUIWnd.h"

namespace ui {

class WebBrowser;

class RemoteDiagWnd : public GUIWnd {
 public:
  static constexpr unsigned kSelectedBk = 0xFF028CF1;

  WebBrowser* browser() const { return browser_; }

 protected:
  QString GetSkinFile() override { return "RemoteDiagWnd.xml"; }
  QString GetWindowClassName() const override { return "RemoteDiagWnd"; }
  void OnFindControl() override;
  void OnPrepare() override;
  void OnClick(TNotifyUI& msg) override;

 private:
  void SelectTab(bool help);
  void Navigate(const std::string& address);

  Control* tabRemote_ = nullptr;
  Control* tabHelp_ = nullptr;
  WebBrowser* browser_ = nullptr;
};

}  // namespace ui
