#include "device/DeviceOPThread.h"

#include <utility>

#include "platform/Clock.h"

namespace device {
namespace {

std::int64_t WaitMs(DeviceOPThread::WaitFor option) {
  return option == DeviceOPThread::WaitFor::Adapter ? 5000 : 40000;
}

}  // namespace

bool DeviceOPThread::StartOperation(Operation operation, WaitFor option,
                                    std::shared_ptr<std::atomic<bool>> done, DeviceUse use) {
  // Busy from the hand-over on, so a second request right after this one is kept out.
  bool idle = false;
  if (!busy_.compare_exchange_strong(idle, true)) return false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    use_ = std::move(use);
    done_ = std::move(done);
    operation_ = operation;
    option_ = option;
  }
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
    Operation operation;
    WaitFor option;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      operation = operation_;
      option = option_;
    }
    switch (operation) {
      case Operation::Wait:
        platform::SleepMs(WaitMs(option));
        result_.store(true);
        break;
    }
    std::shared_ptr<std::atomic<bool>> done;
    {
      // The adapter is free before anyone hears that the wait is over.
      std::lock_guard<std::mutex> lock(mutex_);
      use_.Release();
      done = std::move(done_);
    }
    if (done) done->store(true);
    busy_.store(false);
  }
  std::lock_guard<std::mutex> lock(mutex_);
  use_.Release();
  done_.reset();
  busy_.store(false);
}

}  // namespace device
