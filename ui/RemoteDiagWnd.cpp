#include "ui/RemoteDiagWnd.h"

#include "core/ZConfig.h"
#include "ui/WebBrowser.h"

namespace ui {
namespace {

void Look(Control* tab, bool selected) {
  if (!tab) return;
  tab->SetBkColor(QColor::fromRgba(selected ? RemoteDiagWnd::kSelectedBk : 0xFFFFFFFF));
  tab->SetTextColor(QColor::fromRgba(selected ? kTextOnAccent : 0xFF000000));
}

}  // namespace

void RemoteDiagWnd::OnFindControl() {
  tabRemote_ = FindControl("btnTabRemote");
  tabHelp_ = FindControl("btnTabRemoteHelp");
  browser_ = Find<WebBrowser>("web");
  Look(tabRemote_, true);
}

void RemoteDiagWnd::OnPrepare() { Navigate(core::ZConfig::Instance().RemoteURL); }

void RemoteDiagWnd::SelectTab(bool help) {
  Look(tabRemote_, !help);
  Look(tabHelp_, help);
  const core::ZConfig& config = core::ZConfig::Instance();
  Navigate(help ? config.RemoteHelpURL : config.RemoteURL);
}

void RemoteDiagWnd::Navigate(const std::string& address) {
  // Configured offline the program reaches no server at all: the page says so, and the
  // web engine is not started for it.
  if (browser_) browser_->Open(address, core::ZConfig::Instance().OfflineMode);
}

void RemoteDiagWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  if (msg.pSender == tabRemote_)
    SelectTab(false);
  else if (msg.pSender == tabHelp_)
    SelectTab(true);
}

}  // namespace ui
