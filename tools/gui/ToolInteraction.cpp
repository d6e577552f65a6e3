#include "tools/gui/ToolInteraction.h"

#include <QApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>
#include <cstdlib>

#include "ui/MessageDialog.h"

namespace tools {
namespace {

// The program's own message box; tip windows keep their window names as titles.
bool Ask(QWidget* owner, const std::string& title, const std::string& text, bool withCancel) {
  bool ok = true;
  OnGuiThread([&] {
    ok = ui::MessageDialog::Ask(owner, QString::fromStdString(title), QString::fromStdString(text),
                                withCancel);
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
                                  core::MessageIcon) {
  Ask(owner_, caption, text, false);
}

bool ToolInteraction::AskOkCancel(const std::string& text, const std::string& caption,
                                  core::MessageIcon) {
  return Ask(owner_, caption, text, true);
}

int ToolInteraction::ShowTip(const std::string& windowName, const std::string& text, int type) {
  return Ask(owner_, windowName, text, type == 1) ? 1 : 2;
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
