#include "platform/Event.h"

#include "platform/Clock.h"

namespace platform {

Event::Event(bool manualReset, bool initiallySignalled)
    : manual_(manualReset), signalled_(initiallySignalled) {}

void Event::Set() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
  }
  if (manual_)
    cv_.notify_all();
  else
    cv_.notify_one();
}

void Event::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  signalled_ = false;
}

bool Event::IsSet() {
  std::lock_guard<std::mutex> lock(mutex_);
  return signalled_;
}

bool Event::Wait(std::int64_t timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (timeoutMs < 0) {
    cv_.wait(lock, [this] { return signalled_; });
  } else if (!cv_.wait_for(lock, TheClock().ToReal(timeoutMs), [this] { return signalled_; })) {
    return false;
  }
  if (!manual_) signalled_ = false;
  return true;
}

}  // namespace platform
