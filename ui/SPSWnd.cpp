#include "ui/SPSWnd.h"

#include "core/Log.h"
#include "net/WebAddress.h"
#include "platform/Processes.h"
#include "ui/ListControl.h"
#include "ui/QtText.h"

namespace ui {

void SPSWnd::OnFindControl() { list_ = Find<List>("lstSPS"); }

void SPSWnd::OnPrepare() {
  if (!list_) return;
  list_->RemoveAll();
  if (!links_) return;
  for (const auto& item : links_->objects()) {
    auto* row = new ListTextElement;
    row->SetManager(&paintManager());
    row->SetAttribute("minheight", "50");
    row->SetText(0, QString::number(item->ID));
    row->SetText(1, Q(item->DESC));
    row->SetText(2, Q(item->URL));
    row->SetText(3, item->AUTH ? "Yes" : "No");
    row->SetRowColor(QColor::fromRgba(item->AUTH ? kAccountRow : kOpenRow));
    row->SetTextColor(QColor::fromRgba(kRowText));
    list_->Add(row);
  }
}

bool SPSWnd::OpenRow(int row) {
  if (!list_ || !links_) return false;
  const ListTextElement* element = list_->GetItemAt(row);
  if (!element) return false;
  // As the page always did: the number in the first column names the link, so of two
  // links with one number the first is opened.
  const apps::ZSPSItem* item = links_->FindByID(element->GetText(0).toInt());
  if (!item) return false;
  // Addresses come from the server's file: only web pages go to the browser.
  if (!net::IsWebAddress(item->URL)) {
    LOG_WARN("SPS link {0} is not a web address: {1}", item->ID, item->URL);
    return false;
  }
  return platform::ShellOpen(item->URL);
}

void SPSWnd::Notify(TNotifyUI& msg) {
  if (msg.sType == "itemselect" && msg.pSender && msg.pSender == list_) OpenRow(msg.wParam);
  GUIWnd::Notify(msg);
}

}  // namespace ui
