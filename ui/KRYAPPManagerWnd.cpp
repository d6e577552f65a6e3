#include "ui/KRYAPPManagerWnd.h"

#include <QPointer>

#include "apps/AppPresentation.h"
#include "core/ProgramTexts.h"
#include "ui/APPWnd.h"
#include "ui/Containers.h"
#include "ui/Controls.h"
#include "ui/UiThread.h"

namespace ui {
namespace {

const QColor kWhite = QColor::fromRgba(0xFFFFFFFF);
const QColor kBlack = QColor::fromRgba(0xFF000000);
const QColor kSelected = QColor::fromRgba(0xFF028CF1);
const QColor kLine = QColor::fromRgba(0xFFF0F0F0);

// The image attribute of a picture named by the server, or an empty one when the name
// would leave the skin's logos folder.
QString LogoImage(const std::string& name, const char* dest) {
  const auto path = apps::SkinPicture("logos", name);
  if (!path) return QString();
  return QString("file='%1' dest='%2'").arg(QString::fromStdString(*path), dest);
}

}  // namespace

KRYAPPManagerWnd::KRYAPPManagerWnd(apps::ZKRYAPPManager* catalogue, core::Interaction& ui,
                                   apps::ZAPPProcedure::Modes modes,
                                   net::ZDownloadFileService* service)
    : catalogue_(catalogue), ui_(ui), modes_(std::move(modes)), service_(service) {}

void KRYAPPManagerWnd::OnFindControl() {
  appList_ = Find<Container>("APPListLayout");
  classList_ = FindControl("lstAPPClass");
  leftNavi_ = Find<Container>("layoutLeftNavi");
}

void KRYAPPManagerWnd::OnPrepare() {
  if (appList_) appList_->RemoveAll();
  tiles_.clear();
  selected_ = 0;
  if (leftNavi_) leftNavi_->RemoveAll();
  entries_.clear();
  AddEntry(QString::fromStdString(core::Text(core::TextId::kMyApps)),
           "file='logos/myapp.png' dest='5,16,37,48'", 0);
  if (catalogue_)
    for (const auto& c : catalogue_->classes())
      AddEntry(QString::fromStdString(c->NAME), LogoImage(c->LOGO, "5,16,37,48"), c->ID);
  if (leftNavi_) {
    // The rest of the column, as the layouts' trailing <Control />: the entries stack from
    // the top instead of spreading over the column's height.
    auto* rest = new Label("ControlUI");
    rest->SetManager(&paintManager());
    leftNavi_->Add(rest);
  }
  if (!entries_.empty()) {
    entries_.front().first->widget()->setFocus();
    Select(entries_.front().first);
  }
  ShowValue(0);
}

void KRYAPPManagerWnd::AddEntry(const QString& text, const QString& logo, int value) {
  if (!leftNavi_) return;
  auto* entry = new Button;
  entry->SetManager(&paintManager());
  entry->SetBkColor(kWhite);
  entry->SetTextColor(kBlack);
  entry->SetAttribute("bkimage", logo);
  entry->SetAttribute("pushedimage", "file='btn_push.png' corner='0,0,0,0'");
  entry->SetFont(2);
  entry->SetVisible(true);
  entry->SetAttribute("minheight", "64");
  entry->SetAttribute("maxheight", "64");
  entry->SetText(text);
  leftNavi_->Add(entry);
  entries_.emplace_back(entry, value);
  auto* separator = new Label("ControlUI");
  separator->SetManager(&paintManager());
  separator->SetAttribute("height", "1");
  separator->SetBkColor(kLine);
  leftNavi_->Add(separator);
}

void KRYAPPManagerWnd::AddTile(apps::ZKRYApp& app) {
  auto* tile = new Button;
  tile->SetManager(&paintManager());
  tile->SetBkColor(kWhite);
  tile->SetVisible(true);
  tile->SetAttribute("width", "128");
  tile->SetAttribute("height", "128");
  tile->SetAttribute("bordersize", "1");
  tile->SetAttribute("bordercolor", "#FFF0F0F0");
  // The accent itself reads too faintly as text on white; its deeper shade is used.
  tile->SetAttribute("hottextcolor", "#FF0767B3");
  tile->SetAttribute("focusbordercolor", "#FF028CF1");
  tile->SetAttribute("textpadding", "0, 106, 0, 0");
  tile->SetAttribute("bkimage", LogoImage(app.LOGO, "16,8,112,104"));
  tile->SetAttribute("normalimage",
                     QString("file='%1' dest='112,0,128,16'").arg(apps::BadgeFile(app)));
  tile->SetFont(0);
  tile->SetText(QString::fromStdString(app.NAME));
  appList_->Add(tile);
  tiles_.emplace_back(tile, &app);
}

void KRYAPPManagerWnd::ShowValue(int value) {
  if (!appList_) return;
  appList_->RemoveAll();
  tiles_.clear();
  if (!catalogue_) return;
  if (value == 0) {
    for (const auto& a : catalogue_->objects()) AddTile(*a);
    return;
  }
  for (const auto& c : catalogue_->classes()) {
    if (c->ID != value) continue;
    for (apps::ZKRYApp* a : c->applications) AddTile(*a);
    return;
  }
}

void KRYAPPManagerWnd::Select(Control* entry) {
  for (const auto& [button, value] : entries_) {
    const bool selected = button == entry;
    button->SetBkColor(selected ? kSelected : kWhite);
    button->SetTextColor(selected ? QColor::fromRgba(kTextOnAccent) : kBlack);
    // Entries are never disabled; should one be, its text keeps reading on the accent.
    button->look().disabledText = button->look().text;
  }
}

void KRYAPPManagerWnd::OnClick(TNotifyUI& msg) {
  for (const auto& [entry, value] : entries_) {
    if (entry != msg.pSender) continue;
    selected_ = value;
    Select(entry);
    ShowValue(value);
    return;
  }
  for (const auto& [tile, app] : tiles_) {
    if (tile != msg.pSender) continue;
    // Later, from the event loop: rebuilding the tiles afterwards deletes this very tile,
    // whose click is still being handled here.
    QPointer<KRYAPPManagerWnd> self(this);
    PostToUi([self, app = app] {
      if (self) self->OpenApplication(app);
    });
    return;
  }
}

void KRYAPPManagerWnd::OpenApplication(apps::ZKRYApp* app) {
  APPWnd::Show(this, *app, ui_, modes_, service_);
  ShowValue(selected_);
}

}  // namespace ui
