#include "ui/APPWnd.h"

#include <QKeyEvent>
#include <QPointer>
#include <algorithm>

#include "ui/Controls.h"
#include "ui/QtText.h"
#include "ui/UiThread.h"

namespace ui {
namespace {

const char* const kButtons[] = {"btnInstall", "btnUpdate", "btnUnInstall", "btnRun"};

}  // namespace

// The procedures' way to the user: windows through the program's interaction, labels
// into this window's controls.
class APPWnd::WindowInteraction : public core::Interaction {
 public:
  WindowInteraction(APPWnd& window, core::Interaction& ui) : window_(window), ui_(ui) {}
  void ShowMessage(const std::string& t, const std::string& c, core::MessageIcon i) override {
    ui_.ShowMessage(t, c, i);
  }
  bool AskOkCancel(const std::string& t, const std::string& c, core::MessageIcon i) override {
    return ui_.AskOkCancel(t, c, i);
  }
  int ShowTip(const std::string& name, const std::string& text, int type) override {
    return ui_.ShowTip(name, text, type);
  }
  void ShowProgressWindow(const core::ProgressWindowSpec& s, const std::atomic<bool>& d) override {
    ui_.ShowProgressWindow(s, d);
  }
  void SetStatus(const std::string& text) override { ui_.SetStatus(text); }
  void SetProgress(int value, int maximum) override { ui_.SetProgress(value, maximum); }
  void SetLabel(const std::string& control, const std::string& text) override {
    window_.PostToControl(Q(control), [text = Q(text)](Control& c) { c.SetText(text); });
  }

 private:
  APPWnd& window_;
  core::Interaction& ui_;
};

void APPWnd::ZDownloadAPPFileServiceNotify::OnNotify(net::ZDownloadTask* task, std::uint32_t event,
                                                     std::uint32_t value) {
  window_->procedure_.OnDownloadEvent(task, event, value);
}

APPWnd::APPWnd(apps::ZKRYApp& app, core::Interaction& ui, apps::ZAPPProcedure::Modes modes,
               net::ZDownloadFileService* service)
    : app_(app),
      modes_(modes),
      interaction_(std::make_unique<WindowInteraction>(*this, ui)),
      procedure_(app, *interaction_, modes,
                 service ? apps::ZAPPProcedure::Queue(
                               [service](net::ZDownloadTask* t) { service->AddTask(t); })
                         : apps::ZAPPProcedure::Queue()) {
  procedure_.SetObserver(&observer_);
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
                 apps::ZAPPProcedure::Modes modes, net::ZDownloadFileService* service) {
  auto* window = new APPWnd(app, ui, modes, service);
  window->Create(owner, "APPWND", false);
  window->CenterWindow();
  return window->ShowModal();
}

void APPWnd::ApplyButtons(const apps::AppButtons& b) {
  const bool enabled[] = {b.install, b.update, b.uninstall, b.run};
  for (int i = 0; i < 4; ++i)
    PostToControl(kButtons[i], [on = enabled[i]](Control& c) { c.SetEnabled(on); });
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
