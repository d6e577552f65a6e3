#include "ui/SaleWnd.h"

#include "core/ZConfig.h"
#include "ui/WebBrowser.h"

namespace ui {

void SaleWnd::OnFindControl() { browser_ = Find<WebBrowser>("sale"); }

void SaleWnd::OnPrepare() {
  const core::ZConfig& config = core::ZConfig::Instance();
  // Configured offline the program reaches no server at all: the page says so, and the
  // web engine is not started for it.
  if (browser_) browser_->Open(config.SaleURL, config.OfflineMode);
}

}  // namespace ui
