#include "device/DeviceOPThread.h"

#include "platform/Clock.h"

namespace device {

bool DeviceOPThread::StartOperation(int operation, int option, std::atomic<bool>* done) {
  if (busy_.load()) return false;
  done_.store(done);
  operation_.store(operation);
  option_.store(option);
  // Busy from the hand-over on, so a second request right after this one is kept out.
  busy_.store(true);
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
    if (operation_.load() == kOperationWait) {
      platform::SleepMs(option_.load() == kOptionAdapter ? 5000 : 40000);
      result_.store(true);
      if (std::atomic<bool>* done = done_.exchange(nullptr)) done->store(true);
    }
    busy_.store(false);
  }
  busy_.store(false);
}

}  // namespace device
