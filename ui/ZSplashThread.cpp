#include "ui/ZSplashThread.h"

#include <QCoreApplication>

#include "ui/LoadWnd.h"

namespace ui {

ZSplashThread::~ZSplashThread() {
  closed_.Set();
  StopAndWait();
}

void ZSplashThread::StartAndShow() {
  window_ = new LoadWnd;
  window_->Create(nullptr, "Loading", false);
  window_->CenterWindow();
  window_->show();
  // Start-up blocks the UI thread next; the window must be on the screen before it does.
  QCoreApplication::processEvents();
  Start();
}

void ZSplashThread::CloseAndWait() {
  if (window_) window_->Close(IDOK);
  window_ = nullptr;
  closed_.Set();
  StopAndWait();
}

void ZSplashThread::Run(void*) { closed_.Wait(); }

}  // namespace ui
