#pragma once
// The device page's worker for long waits: after a reset the adapter (5 s) or the DoIP
// module (40 s) needs time to come back. The wait tells the progress window when it is over.
#include <atomic>
#include <cstdint>
#include <mutex>

#include "core/ZThread.h"
#include "device/DeviceUseGuard.h"
#include "platform/Event.h"

namespace device {

class DeviceOPThread : public core::ZThread {
 public:
  static constexpr int kOperationWait = 1;
  static constexpr int kOptionAdapter = 1;  // 5 s
  static constexpr int kOptionModule = 2;   // 40 s

  DeviceOPThread() : event_(false, false) {}
  ~DeviceOPThread() override { Stop(); }

  // Hands over an operation when none runs; `done` is set when it has finished (may be
  // null). `use` is the caller's share of the adapter, held until the operation is over,
  // so nobody takes the adapter while it comes back. Returns false when busy.
  bool StartOperation(int operation, int option, std::atomic<bool>* done, DeviceUse use = {});
  // Sets the stop flag, wakes the thread and waits for it.
  void Stop();

  bool busy() const { return busy_.load(); }
  bool result() const { return result_.load(); }

 protected:
  void Run(void* argument) override;

 private:
  platform::Event event_;
  std::mutex useMutex_;
  DeviceUse use_;
  std::atomic<std::atomic<bool>*> done_{nullptr};
  std::atomic<bool> busy_{false};
  std::atomic<bool> result_{false};
  std::atomic<int> operation_{kOperationWait};
  std::atomic<int> option_{0};
};

}  // namespace device
