// orb-screenshot: starts the program like OrbManager does, then saves pictures of the main
// window, the device pages, the applications page and an application window, the SPS, sale
// and remote diagnosis pages and the firmware window, and ends.
// Usage: orb-screenshot OUTPUT_FOLDER NAME_PREFIX (run in the program's root folder).
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "app/StartUp.h"
#include "app/ZCoreManager.h"
#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "firmware/FirmwareUpdateJob.h"
#include "ui/APPWnd.h"
#include "ui/CTipWnd.h"
#include "ui/Controls.h"
#include "ui/DeviceWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/HWControlWnd.h"
#include "ui/KRYAPPManagerWnd.h"
#include "ui/MainFrameWnd.h"
#include "ui/QtProgramShell.h"
#include "ui/UiThread.h"
#include "ui/WebBrowser.h"

namespace {

class ScreenshotShell : public ui::QtProgramShell {
 public:
  ScreenshotShell(QApplication& app, core::Interaction& ui, QString folder, QString prefix)
      : QtProgramShell(app, ui), ui_(ui), folder_(std::move(folder)), prefix_(std::move(prefix)) {}

  void RunMessageLoop() override {
    QTimer::singleShot(700, [this] { Take(); });
    QtProgramShell::RunMessageLoop();
  }

 private:
  void Save(const char* name, QWidget* window = nullptr) {
    const QString path = folder_ + "/" + prefix_ + "-" + name + ".png";
    if (!(window ? window : mainFrame())->grab().save(path))
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else
      std::printf("%s\n", qPrintable(path));
  }
  // The applications page, and the application window of its first tile.
  void SaveApplications() {
    ui::KRYAPPManagerWnd* apps = mainFrame()->appsPage();
    if (!apps) return;
    Click(mainFrame(), "btnNaviApps");
    QApplication::processEvents();
    Save("apps");
    if (apps->tiles().empty()) return;
    auto* window = new ui::APPWnd(*apps->tiles().front().second, silent_, {true, false}, nullptr);
    window->Create(mainFrame(), "APPWND", false);
    window->show();
    QApplication::processEvents();
    Save("app-window", window);
    window->Close();
  }
  void Click(QWidget* window, const char* name) {
    if (auto* w = static_cast<ui::WindowImplBase*>(window))
      if (ui::Control* c = w->FindControl(name)) static_cast<ui::Button*>(c)->Activate();
  }
  // The firmware window over the adapter and the kept catalogue, shown without a run.
  void SaveFirmwareWindow() {
    app::ZCoreManager& core = app::ZCoreManager::Instance();
    device::ZKRYDevice* device = core.deviceManager() ? core.deviceManager()->current() : nullptr;
    if (!device || !core.firmwareManager()) return;
    const core::ZConfig& config = core::ZConfig::Instance();
    firmware::FirmwareJobSetup setup{
        *device, *core.firmwareManager(), config, {config.downloadDir, false}, ui_};
    auto* window = new ui::HWControlWnd(setup);
    window->Create(mainFrame(), "FWUPWND", false);
    window->CenterWindow();
    window->show();
    QApplication::processEvents();
    Save("firmware", window);
    window->Close();
  }
  // A message window as the procedures show it, without its modal run.
  void SaveTip(const char* name, const QString& windowName, const std::string& text) {
    auto* tip = new ui::CTipWnd(QString::fromStdString(text), 1, nullptr);
    tip->Create(mainFrame(), windowName, false);
    tip->CenterWindow();
    tip->show();
    QApplication::processEvents();
    Save(name, tip);
    tip->Close();
  }
  // An offline program loads no web page of its own (it reaches no server): the pictures
  // show the configured pages, opened here in the page's browser.
  void Open(int pageIndex, const char* browserName, const std::string& address) {
    auto* page = static_cast<ui::WindowImplBase*>(mainFrame()->page(pageIndex));
    if (!page || address.empty()) return;
    if (auto* browser = page->Find<ui::WebBrowser>(browserName))
      browser->Navigate(QString::fromStdString(address));
  }
  // Each step after the one before it has had time to draw (web pages load meanwhile).
  void Take() {
    QDir().mkpath(folder_);
    std::vector<std::function<void()>> steps;
    steps.emplace_back([this] { Save("main"); });
    // The language list opened: its entries on the light list under the dark title bar.
    auto* languages = mainFrame()->Find<ui::Combo>("cboLanguage");
    if (languages) {
      steps.emplace_back([languages] { languages->showPopup(); });
      steps.emplace_back([this, languages] {
        Save("language-list", languages->view()->window());
        languages->hidePopup();
      });
    }
    if (ui::DeviceWnd* device = mainFrame()->devicePage()) {
      steps.emplace_back([this] { Save("device-info"); });
      steps.emplace_back([this, device] { Click(device, "btnTabDeviceConfig"); });
      steps.emplace_back([this] { Save("comm-settings"); });
      steps.emplace_back([this, device] { Click(device, "btnTabDeviceHistory"); });
      steps.emplace_back([this] { Save("device-history"); });
      steps.emplace_back([this, device] { Click(device, "btnTabDeviceHelp"); });
      steps.emplace_back([this] { Save("device-help"); });
      steps.emplace_back([this, device] { Click(device, "btnTabDeviceInfo"); });
    }
    const std::pair<const char*, const char*> pages[] = {
        {"btnNaviSPS", "sps"}, {"btnNaviSale", "sale"}, {"btnNaviRemoteDiag", "remote"}};
    const core::ZConfig& config = core::ZConfig::Instance();
    // The sale page as the offline program shows it, and a page that cannot be loaded.
    steps.emplace_back([this] { Click(mainFrame(), "btnNaviSale"); });
    steps.emplace_back([this] { Save("sale-offline"); });
    steps.emplace_back([this] {
      Click(mainFrame(), "btnNaviRemoteDiag");
      Open(4, "web", "http://127.0.0.1:9/");
    });
    steps.emplace_back([] {});  // the refused connection is reported
    steps.emplace_back([] {});
    steps.emplace_back([this] { Save("remote-failed"); });
    steps.emplace_back([this] {
      SaveTip("reset-question", "LRESETWNDTIP", core::Text(core::TextId::kResetQuestion));
    });
    for (const auto& [button, name] : pages) {
      steps.emplace_back([this, button = button, name = std::string(name), &config] {
        Click(mainFrame(), button);
        if (name == "sale") Open(3, "sale", config.SaleURL);
        if (name == "remote") Open(4, "web", config.RemoteURL);
      });
      if (std::string(name) != "sps") steps.emplace_back([] {});  // the page loads
      steps.emplace_back([this, name = name] { Save(name); });
    }
    steps.emplace_back([this, &config] {
      if (auto* page = mainFrame()->page(4)) Click(page, "btnTabRemoteHelp");
      Open(4, "web", config.RemoteHelpURL);
    });
    steps.emplace_back([] {});
    steps.emplace_back([this] { Save("remote-help"); });
    steps.emplace_back([this] {
      Click(mainFrame(), "btnNaviDevice");
      SaveFirmwareWindow();
    });
    steps.emplace_back([this] { SaveApplications(); });
    steps.emplace_back([] { QApplication::quit(); });
    int delay = 0;
    for (auto& step : steps) {
      QTimer::singleShot(delay, step);
      delay += 400;
    }
  }

  core::Interaction& ui_;
  QString folder_, prefix_;
  core::SilentInteraction silent_;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: orb-screenshot OUTPUT_FOLDER NAME_PREFIX\n");
    return 2;
  }
  if (::geteuid() == 0) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  app.setQuitOnLastWindowClosed(false);
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  app.setFont(font);
  ui::GuiInteraction interaction;
  ScreenshotShell shell(app, interaction, QString::fromLocal8Bit(argv[1]),
                        QString::fromLocal8Bit(argv[2]));
  return app::RunProgram(shell, interaction);
}
