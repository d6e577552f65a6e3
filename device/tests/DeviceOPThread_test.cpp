#include "device/DeviceOPThread.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/DeviceUseGuard.h"
#include "platform/Clock.h"

namespace {

// Counts the program time a wait took, running 1000 times faster.
class CountingClock : public platform::Clock {
 public:
  std::atomic<std::int64_t> slept{0};
  void Sleep(std::int64_t ms) override {
    slept += ms;
    std::this_thread::sleep_for(std::chrono::microseconds(ms));
  }
  std::int64_t NowMs() override { return slept; }
  std::chrono::nanoseconds ToReal(std::int64_t ms) override {
    return std::chrono::microseconds(ms);
  }
};

// The wait after a reset lasts 5 s (40 s with a module), keeps a second request out and
// keeps the adapter until it is over, even when the reset itself has already let go.
TEST(DeviceOPThread, WaitsFiveOrFortySecondsHoldingTheAdapter) {
  CountingClock clock;
  platform::SetClock(&clock);
  device::DeviceUseGuard guard;
  device::DeviceOPThread thread;
  ASSERT_TRUE(thread.Start());
  const std::pair<int, std::int64_t> cases[] = {{device::DeviceOPThread::kOptionAdapter, 5000},
                                                {device::DeviceOPThread::kOptionModule, 40000}};
  for (const auto& [option, ms] : cases) {
    clock.slept = 0;
    std::atomic<bool> done{false};
    {
      device::DeviceUse reset = guard.TryTake("the device reset");
      ASSERT_TRUE(
          thread.StartOperation(device::DeviceOPThread::kOperationWait, option, &done, reset));
    }
    EXPECT_FALSE(thread.StartOperation(device::DeviceOPThread::kOperationWait, option, nullptr));
    EXPECT_FALSE(guard.TryTake("the device report"));
    while (!done) std::this_thread::yield();
    EXPECT_GE(clock.slept.load(), ms);
    EXPECT_LT(clock.slept.load(), ms + 100);
    EXPECT_FALSE(guard.busy()) << "the adapter is free once the wait has told its end";
    while (thread.busy()) std::this_thread::yield();
    EXPECT_TRUE(thread.result());
  }
  // Unknown operations do nothing and leave the thread free.
  ASSERT_TRUE(thread.StartOperation(7, 0, nullptr));
  while (thread.busy()) std::this_thread::yield();
  thread.Stop();
  EXPECT_EQ(thread.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

}  // namespace
