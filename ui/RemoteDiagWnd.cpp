#include "ui/RemoteDiagWnd.h"

#include "core/ZConfig.h"
#include "ui/WebBrowser.h"

namespace ui {
namespace {

void Look(Control* tab, bool selected) {
  if (!tab) return;
  tab->SetBkColor(QColor::fromRgba(selected ? RemoteDiagWnd::kSelectedBk : 0xFFFFFFFF));
  tab->SetTextColor(QColor::fromRgba(selected ? 0xFFFFFFFF : 0xFF000000));
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
  // No address configured, or configured offline (the program then reaches no server at
  // all): nothing to show, and the web engine is not started for it.
  if (browser_ && !address.empty() && !core::ZConfig::Instance().OfflineMode)
    browser_->Navigate(QString::fromStdString(address));
}

void RemoteDiagWnd::OnClick(TNotifyUI& msg) {
  if (!msg.pSender) return;
  if (msg.pSender == tabRemote_)
    SelectTab(false);
  else if (msg.pSender == tabHelp_)
    SelectTab(true);
}

}  // namespace ui
