#include "ui/ZSplashThread.h"

#include <QCoreApplication>
#include <QPointer>

#include "platform/Clock.h"
#include "ui/LoadWnd.h"
#include "ui/UiThread.h"

namespace ui {

void ZSplashThread::StartAndShow() {
  Start();
  // The UI thread runs the thread's request to create the window, then paints it once.
  while (!shown_.load() && state() != kFinished) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    platform::SleepMs(1);
  }
  QCoreApplication::processEvents();
}

void ZSplashThread::Run(void*) {
  RunOnUi([this] {
    window_ = new LoadWnd;
    window_->Create(nullptr, "Loading", false);
    window_->CenterWindow();
    window_->show();
  });
  shown_.store(true);
  while (!stopRequested()) platform::SleepMs(5);
  PostToUi([window = QPointer<LoadWnd>(window_)] {
    if (window) window->Close(IDOK);
  });
}

}  // namespace ui
