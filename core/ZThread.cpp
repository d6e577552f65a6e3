#include "core/ZThread.h"

#include "platform/Clock.h"

namespace core {

ZThread::~ZThread() {
  // A derived object is already gone here; a thread still running would use it. Owners
  // stop their threads first; this only reclaims the handle.
  if (thread_.joinable()) thread_.join();
}

bool ZThread::Start(void* argument) {
  if (thread_.joinable()) {
    if (state_.load() != kFinished) return false;
    thread_.join();
  }
  argument_ = argument;
  // Cleared here rather than on the new thread, so a stop asked for right after Start is
  // never lost.
  stop_.store(false);
  state_.store(kRunning);
  thread_ = std::thread(&ZThread::ThreadMain, this);
  return true;
}

void ZThread::ThreadMain() {
  Run(argument_);
  OnExit();
  stop_.store(false);
  state_.store(kFinished);
}

void ZThread::StopAndWait() {
  if (state_.load() == kNeverStarted) return;
  stop_.store(true);
  Wait();
}

void ZThread::Wait() {
  if (state_.load() == kNeverStarted) return;
  while (state_.load() != kFinished) platform::SleepMs(5);
  if (thread_.joinable()) thread_.join();
}

}  // namespace core
