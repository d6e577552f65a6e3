#pragma once
// The sale page: the configured sale address in the embedded browser "sale", loaded once
// when the page is created; showing the page again keeps whatever the user browsed to.
#include "ui/GUIWnd.h"

namespace ui {

class WebBrowser;

class SaleWnd : public GUIWnd {
 public:
  WebBrowser* browser() const { return browser_; }

 protected:
  QString GetSkinFile() override { return "SaleWnd.xml"; }
  QString GetWindowClassName() const override { return "SPSWND"; }
  void OnFindControl() override;
  void OnPrepare() override;

 private:
  WebBrowser* browser_ = nullptr;
};

}  // namespace ui
