#pragma once
// Auto- and manual-reset events, as the worker threads coordinate with them.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace platform {

class Event {
 public:
  Event(bool manualReset, bool initiallySignalled);
  void Set();
  void Reset();
  // Waits until signalled; `timeoutMs` is program time through the clock, negative for no
  // time-out. An auto-reset event is cleared by the wait it releases. Returns false on
  // time-out.
  bool Wait(std::int64_t timeoutMs = -1);
  bool IsSet();

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool manual_;
  bool signalled_;
};

}  // namespace platform
