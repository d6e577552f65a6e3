#include "ui/APPWnd.h"

#include <QKeyEvent>
#include <QPointer>
#include <algorithm>

#include "ui/Controls.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace ui {
namespace {

struct ButtonBinding {
  const char* control;
  bool apps::AppButtons::*enabled;
};
const ButtonBinding kButtons[] = {{"btnInstall", &apps::AppButtons::install},
                                  {"btnUpdate", &apps::AppButtons::update},
                                  {"btnUnInstall", &apps::AppButtons::uninstall},
                                  {"btnRun", &apps::AppButtons::run}};

}  // namespace

APPWnd::APPWnd(apps::ZKRYApp& app, core::Interaction& ui, const apps::ZAPPProcedure::Modes& modes,
               net::ZDownloadFileService* service)
    : app_(app),
      modes_(modes),
      interaction_(ui, view_),
      procedure_(app, interaction_, modes,
                 service ? apps::ZAPPProcedure::Queue(
                               [service](net::ZDownloadTask* t) { service->AddTask(t); })
                         : apps::ZAPPProcedure::Queue()) {
  // The catalogue belongs to the UI thread; the install step reaches it from there.
  procedure_.SetOwnerThread([](const std::function<void()>& step) { RunOnUi(step); });
  procedure_.SetButtonsListener([this](const apps::AppButtons& b) {
    ApplyButtons(b);
    if (closeWhenIdle_ && !procedure_.busy()) {
      QPointer<APPWnd> self(this);
      PostToUi([self] {
        if (self) self->Close(IDOK);
      });
    }
  });
}

APPWnd::~APPWnd() = default;

int APPWnd::Show(QWidget* owner, apps::ZKRYApp& app, core::Interaction& ui,
                 const apps::ZAPPProcedure::Modes& modes, net::ZDownloadFileService* service) {
  auto* window = new APPWnd(app, ui, modes, service);
  window->Create(owner, "APPWND", false);
  window->CenterWindow();
  return window->ShowModal();
}

void APPWnd::ApplyButtons(const apps::AppButtons& b) {
  for (const ButtonBinding& button : kButtons)
    PostToControl(button.control, [on = b.*button.enabled](Control& c) { c.SetEnabled(on); });
}

void APPWnd::InitWindow() {
  const auto set = [this](const char* name, const std::string& text) {
    if (Control* c = FindControl(name)) c->SetText(Q(text));
  };
  procedure_.Refresh();
  set("labelTitle", app_.NAME);
  set("labelVersion", apps::VersionLabel(app_));
  set("labelSize", apps::SizeLabel(app_));
  set("labelStatus", apps::StatusLabel(app_));
  set("labelDesc", app_.DESC);
  Control* log = FindControl("edtAPPUpdateLog");
  if (modes_.offline) {
    if (log) log->SetVisible(false);
    const QSize smaller(width(), std::max(0, height() - 200));
    setFixedSize(smaller);
    return;
  }
  if (log) log->SetText(Q(procedure_.FetchDescription()));
}

void APPWnd::OnClick(TNotifyUI& msg) {
  const QString name = msg.pSender ? msg.pSender->name() : QString();
  if (name == "btnAppClose")
    OnSystemClose();
  else if (name == "btnInstall")
    procedure_.Install();
  else if (name == "btnUnInstall")
    procedure_.Remove();
  else if (name == "btnUpdate")
    procedure_.Update();
  else if (name == "btnRun")
    procedure_.Run();
  else if (name == "btnDetail")
    procedure_.Detail();
}

void APPWnd::OnSystemClose() {
  if (procedure_.busy()) {
    if (procedure_.CancelDownload()) closeWhenIdle_ = true;
    return;
  }
  Close(IDOK);
}

void APPWnd::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    OnSystemClose();
  else
    WindowImplBase::keyPressEvent(event);
}

}  // namespace ui
