#include "tools/gui/ToolInteraction.h"

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <cstdlib>

#include "ui/MessageBoxIcon.h"

namespace tools {
namespace {

bool Ask(QWidget* owner, const std::string& text, const std::string& caption,
         core::MessageIcon icon, bool withCancel) {
  bool ok = true;
  OnGuiThread([&] {
    QMessageBox box(ui::MessageBoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text),
                    withCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok, owner);
    ok = box.exec() != QMessageBox::Cancel;
  });
  return ok;
}

}  // namespace

void OnGuiThread(const std::function<void()>& work) {
  if (QThread::currentThread() == qApp->thread()) {
    work();
    return;
  }
  QMetaObject::invokeMethod(qApp, work, Qt::BlockingQueuedConnection);
}

void PostToGui(QObject* receiver, std::function<void()> work) {
  QMetaObject::invokeMethod(receiver, std::move(work), Qt::QueuedConnection);
}

void ToolInteraction::ShowMessage(const std::string& text, const std::string& caption,
                                  core::MessageIcon icon) {
  Ask(owner_, text, caption, icon, false);
}

bool ToolInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                  core::MessageIcon icon) {
  return Ask(owner_, text, caption, icon, true);
}

int ToolInteraction::ShowTip(const std::string&, const std::string& text, int type) {
  return Ask(owner_, text, "", core::MessageIcon::Warning, type == 1) ? 1 : 2;
}

void ScreenshotIfAsked(QWidget* window) {
  const char* path = std::getenv("ORB_TOOL_SCREENSHOT");
  if (!path || !*path) return;
  const QString file = QString::fromLocal8Bit(path);
  QTimer::singleShot(1500, window, [window, file] {
    window->grab().save(file);
    QApplication::quit();
  });
}

}  // namespace tools
