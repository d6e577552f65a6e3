#pragma once
// The splash thread: the splash window "Loading" stays up while the main thread starts the
// program, and goes when start-up is over. A Qt window belongs to the UI thread, so that
// thread creates and closes it; the splash thread stands for the window's modal run and
// waits, without polling, until the window is closed.
#include "core/ZThread.h"
#include "platform/Event.h"

namespace ui {

class LoadWnd;

class ZSplashThread : public core::ZThread {
 public:
  ZSplashThread() = default;
  // Ends the thread even where start-up never came to close the window.
  ~ZSplashThread() override;

  // On the UI thread: shows the splash window, paints it once and starts the thread.
  void StartAndShow();
  // On the UI thread: closes the splash window and waits for the thread to end.
  void CloseAndWait();

 protected:
  void Run(void* argument) override;

 private:
  LoadWnd* window_ = nullptr;  // touched on the UI thread only
  platform::Event closed_{true, false};
};

}  // namespace ui
