#pragma once
// The device page's worker for long waits: after a reset the adapter (5 s) or the DoIP
// module (40 s) needs time to come back. The wait tells the progress window when it is over.
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>

#include "core/ZThread.h"
#include "device/DeviceUseGuard.h"
#include "platform/Event.h"

namespace device {

class DeviceOPThread : public core::ZThread {
 public:
  enum class Operation { Wait };
  // What has to come back, which sets how long the wait is.
  enum class WaitFor {
    Adapter,  // 5 s
    Module,   // 40 s
  };

  DeviceOPThread() : event_(false, false) {}
  ~DeviceOPThread() override { Stop(); }

  // Hands over an operation when none runs; `done` is set when it has finished (may be
  // null). The thread shares `done`, so the caller may stop looking at it at any time.
  // `use` is the caller's share of the adapter, held until the operation is over, so
  // nobody takes the adapter while it comes back. Returns false when busy.
  bool StartOperation(Operation operation, WaitFor option, std::shared_ptr<std::atomic<bool>> done,
                      DeviceUse use = {});
  // Sets the stop flag, wakes the thread and waits for it.
  void Stop();

  bool busy() const { return busy_.load(); }
  bool result() const { return result_.load(); }

 protected:
  void Run(void* argument) override;

 private:
  platform::Event event_;
  std::mutex mutex_;  // guards the handed-over operation below
  DeviceUse use_;
  std::shared_ptr<std::atomic<bool>> done_;
  Operation operation_ = Operation::Wait;
  WaitFor option_ = WaitFor::Adapter;
  std::atomic<bool> busy_{false};
  std::atomic<bool> result_{false};
};

}  // namespace device
