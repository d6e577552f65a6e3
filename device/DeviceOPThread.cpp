#include "device/DeviceOPThread.h"

#include "platform/Clock.h"

namespace device {

bool DeviceOPThread::StartOperation(int operation, int option, std::atomic<bool>* done,
                                    DeviceUse use) {
  // Busy from the hand-over on, so a second request right after this one is kept out.
  bool idle = false;
  if (!busy_.compare_exchange_strong(idle, true)) return false;
  {
    std::lock_guard<std::mutex> lock(useMutex_);
    use_ = std::move(use);
  }
  done_.store(done);
  operation_.store(operation);
  option_.store(option);
  event_.Set();
  return true;
}

void DeviceOPThread::Stop() {
  RequestStop();
  event_.Set();
  Wait();
}

void DeviceOPThread::Run(void*) {
  while (!stopRequested()) {
    event_.Wait();
    if (stopRequested()) break;
    busy_.store(true);
    result_.store(false);
    const bool wait = operation_.load() == kOperationWait;
    if (wait) {
      platform::SleepMs(option_.load() == kOptionAdapter ? 5000 : 40000);
      result_.store(true);
    }
    {
      // The adapter is free before anyone hears that the wait is over.
      std::lock_guard<std::mutex> lock(useMutex_);
      use_.Release();
    }
    std::atomic<bool>* done = done_.exchange(nullptr);
    if (wait && done) done->store(true);
    busy_.store(false);
  }
  std::lock_guard<std::mutex> lock(useMutex_);
  use_.Release();
  busy_.store(false);
}

}  // namespace device
