#pragma once
// The splash thread: shows the splash window "Loading" while the main thread starts the
// program, and closes it when asked to stop. The window itself lives on the UI thread;
// the thread asks for it there and waits for its stop flag.
#include <atomic>

#include "core/ZThread.h"

namespace ui {

class LoadWnd;

class ZSplashThread : public core::ZThread {
 public:
  // Starts the thread and returns once the splash window is on the screen.
  void StartAndShow();
  bool shown() const { return shown_.load(); }

 protected:
  void Run(void* argument) override;

 private:
  LoadWnd* window_ = nullptr;  // touched on the UI thread only
  std::atomic<bool> shown_{false};
};

}  // namespace ui
