#include "ui/SaleWnd.h"

#include "core/ZConfig.h"
#include "ui/WebBrowser.h"

namespace ui {

void SaleWnd::OnFindControl() { browser_ = Find<WebBrowser>("sale"); }

void SaleWnd::OnPrepare() {
  const std::string& address = core::ZConfig::Instance().SaleURL;
  // No address configured: the page stays blank, and the web engine is not started for it.
  if (browser_ && !address.empty()) browser_->Navigate(QString::fromStdString(address));
}

}  // namespace ui
