#include "ui/SaleWnd.h"

#include "core/ZConfig.h"
#include "ui/WebBrowser.h"

namespace ui {

void SaleWnd::OnFindControl() { browser_ = Find<WebBrowser>("sale"); }

void SaleWnd::OnPrepare() {
  const core::ZConfig& config = core::ZConfig::Instance();
  // No address configured, or configured offline (the program then reaches no server at
  // all): the page stays blank, and the web engine is not started for it.
  if (browser_ && !config.SaleURL.empty() && !config.OfflineMode)
    browser_->Navigate(QString::fromStdString(config.SaleURL));
}

}  // namespace ui
