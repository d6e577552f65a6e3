#include "ui/QtProgramShell.h"

#include <QApplication>
#include <QIcon>

#include "core/Log.h"
#include "core/ZConfig.h"
#include "ui/CrashNotice.h"
#include "ui/MainFrameWnd.h"
#include "ui/PaintManager.h"
#include "ui/ZSplashThread.h"

namespace ui {

QtProgramShell::QtProgramShell(QApplication& app, core::Interaction& ui) : app_(app), ui_(ui) {}
QtProgramShell::~QtProgramShell() = default;

void QtProgramShell::SetResourcePath(const std::string& skinFolder) {
  if (!startNote_.empty()) LOG_INFO("{0}", startNote_);
  PaintManager::SetResourcePath(QString::fromStdString(skinFolder));
  SetUpCrashNotice(core::ZConfig::Instance().languageFile);
  app_.setWindowIcon(QIcon(QString::fromStdString(skinFolder) + "/app_icon.png"));
}

void QtProgramShell::ConstructMainFrame() { mainFrame_ = new MainFrameWnd(ui_); }

void QtProgramShell::StartSplash() {
  splash_ = std::make_unique<ZSplashThread>();
  splash_->StartAndShow();
}

void QtProgramShell::CreateMainFrame(const std::string& title) {
  mainFrame_->Create(nullptr, QString::fromStdString(title), false);
  mainFrame_->setWindowTitle(QString::fromStdString(title));
  mainFrame_->setWindowIcon(app_.windowIcon());
  mainFrame_->CenterWindow();
}

void QtProgramShell::StopSplash() {
  if (splash_) splash_->CloseAndWait();
}

void QtProgramShell::ShowMainWindow() {
  mainFrame_->show();
  mainFrame_->raise();
  mainFrame_->activateWindow();
  LOG_INFO("Main window shown.");
}

void QtProgramShell::RunMessageLoop() { app_.exec(); }

}  // namespace ui
