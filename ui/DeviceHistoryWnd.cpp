#include "ui/DeviceHistoryWnd.h"

#include "core/ProgramTexts.h"
#include "ui/ListControl.h"
#include "ui/QtText.h"

namespace ui {
namespace {

// "2026-12-07T13:45:02+01:00" as "2026-12-07 13:45:02": the page shows local times only.
QString ShownTime(const std::string& iso) {
  QString t = Q(iso.substr(0, 19));
  if (t.size() > 10 && t[10] == 'T') t[10] = ' ';
  return t;
}

}  // namespace

void DeviceHistoryWnd::OnFindControl() {
  list_ = Find<List>("lstHistory");
  title_ = FindControl("labelHistoryTitle");
  empty_ = FindControl("labelHistoryEmpty");
}

void DeviceHistoryWnd::OnPrepare() {
  // Checked while the program starts: a damaged history is set aside (and logged) before a
  // procedure wants to write it. Nothing here may keep the program from starting.
  store_.Open();
}

void DeviceHistoryWnd::ShowNotice(const std::string& text) {
  if (!empty_) return;
  empty_->SetText(Q(text));
  empty_->SetVisible(!text.empty());
}

void DeviceHistoryWnd::ShowFor(const std::string& serial) {
  if (!list_) return;
  list_->RemoveAll();
  if (title_)
    title_->SetText(Q(core::TextWith(core::TextId::kHistoryTitle, serial.empty() ? "-" : serial)));
  if (serial.empty()) return ShowNotice(core::Text(core::TextId::kNoAdapterRead));
  const auto records = store_.List(serial);
  if (!records) return ShowNotice(core::Text(core::TextId::kHistoryUnreadable));
  ShowNotice(records->empty() ? core::Text(core::TextId::kNothingRecorded) : "");
  for (const history::HistoryRecord& r : *records) {
    auto* row = new ListTextElement;
    row->SetManager(&paintManager());
    row->SetAttribute("minheight", "36");
    row->SetText(0, ShownTime(r.time));
    row->SetText(1, Q(history::WhatText(r.what)));
    row->SetText(2, Q(r.versionBefore));
    row->SetText(3, Q(r.versionAfter));
    row->SetText(4, Q(core::Text(r.ok ? core::TextId::kDone : core::TextId::kFailed)));
    row->SetText(5, Q(r.reason));
    // Long reasons are cut by the column; the whole text is one hover away.
    row->SetToolTip(Q(r.reason));
    if (!r.ok) {
      row->SetRowColor(QColor::fromRgba(kFailedRow));
      row->look().text = QColor::fromRgba(kFailedText);
    }
    list_->Add(row);
  }
}

}  // namespace ui
