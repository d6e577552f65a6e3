// orb-screenshot: starts the program like OrbManager does, then saves pictures of the main
// window, the device information page and the communication settings page, and ends.
// Usage: orb-screenshot OUTPUT_FOLDER NAME_PREFIX (run in the program's root folder).
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QTimer>
#include <cstdio>

#include "app/StartUp.h"
#include "ui/Controls.h"
#include "ui/DeviceWnd.h"
#include "ui/GuiInteraction.h"
#include "ui/MainFrameWnd.h"
#include "ui/QtProgramShell.h"
#include "ui/UiThread.h"

namespace {

class ScreenshotShell : public ui::QtProgramShell {
 public:
  ScreenshotShell(QApplication& app, core::Interaction& ui, QString folder, QString prefix)
      : QtProgramShell(app, ui), folder_(std::move(folder)), prefix_(std::move(prefix)) {}

  void RunMessageLoop() override {
    QTimer::singleShot(700, [this] { Take(); });
    QtProgramShell::RunMessageLoop();
  }

 private:
  void Save(const char* name) {
    const QString path = folder_ + "/" + prefix_ + "-" + name + ".png";
    if (!mainFrame()->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
  }
  void Click(QWidget* window, const char* name) {
    if (auto* w = static_cast<ui::WindowImplBase*>(window))
      if (ui::Control* c = w->FindControl(name)) static_cast<ui::Button*>(c)->Activate();
  }
  void Take() {
    QDir().mkpath(folder_);
    Save("main");
    ui::DeviceWnd* device = mainFrame()->devicePage();
    if (device) {
      Save("device-info");
      Click(device, "btnTabDeviceConfig");
      QApplication::processEvents();
      Save("comm-settings");
      Click(device, "btnTabDeviceHelp");
      QApplication::processEvents();
      Save("device-help");
    }
    QApplication::quit();
  }

  QString folder_, prefix_;
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
