#include "ui/UiThread.h"

#include <QCoreApplication>
#include <QThread>

namespace ui {

bool IsUiThread() {
  return QCoreApplication::instance() &&
         QThread::currentThread() == QCoreApplication::instance()->thread();
}

void PostToUi(std::function<void()> task) {
  // Queued calls to one receiver keep their order.
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(task), Qt::QueuedConnection);
}

void RunOnUi(const std::function<void()>& task) {
  if (IsUiThread()) {
    task();
    return;
  }
  QMetaObject::invokeMethod(QCoreApplication::instance(), task, Qt::BlockingQueuedConnection);
}

}  // namespace ui
