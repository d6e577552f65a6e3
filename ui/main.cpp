// OrbManager: the windowed program.
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <cstring>

#include "app/StartUp.h"
#include "ui/CrashNotice.h"
#include "ui/GuiInteraction.h"
#include "ui/QtProgramShell.h"
#include "updater/UpdateRecovery.h"

int main(int argc, char** argv) {
  // Started again by the crash handler, only to show the notice.
  if (argc > 1 && std::strcmp(argv[1], ui::kCrashNoticeFlag) == 0)
    return ui::RunCrashNotice(argc, argv);
  ui::EnableCrashNotice();
  // Before anything reads a file of the program folder: an update cut short is undone or
  // finished first.
  updater::RecoverInterruptedUpdateAtStart(argv);
  // The web engine's sandbox refuses to start as root (CI and workshop images run so).
  const bool setSandbox = ::geteuid() == 0 && !std::getenv("QTWEBENGINE_DISABLE_SANDBOX");
  if (setSandbox) ::setenv("QTWEBENGINE_DISABLE_SANDBOX", "1", 1);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  app.setApplicationName("OrbManager");
  app.setQuitOnLastWindowClosed(false);
  QFont font("Noto Sans CJK SC");
  font.setPixelSize(13);
  app.setFont(font);

  ui::GuiInteraction interaction;
  ui::QtProgramShell shell(app, interaction);
  if (setSandbox) shell.NoteAtStart("Running as root: the web view's sandbox is switched off.");
  return app::RunProgram(shell, interaction);
}
