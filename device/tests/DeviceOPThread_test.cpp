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
// keeps the adapter until it is over, even when the reset itself has already let go. The
// caller may drop its flag at once: the thread keeps it until it has told the end.
TEST(DeviceOPThread, WaitsFiveOrFortySecondsHoldingTheAdapter) {
  using Op = device::DeviceOPThread;
  CountingClock clock;
  platform::SetClock(&clock);
  device::DeviceUseGuard guard;
  Op thread;
  ASSERT_TRUE(thread.Start());
  const std::pair<Op::WaitFor, std::int64_t> cases[] = {{Op::WaitFor::Adapter, 5000},
                                                        {Op::WaitFor::Module, 40000}};
  for (const auto& [waitFor, ms] : cases) {
    clock.slept = 0;
    auto done = std::make_shared<std::atomic<bool>>(false);
    const std::weak_ptr<std::atomic<bool>> told = done;
    {
      device::DeviceUse reset = guard.TryTake("the device reset");
      ASSERT_TRUE(thread.StartOperation(Op::Operation::Wait, waitFor, std::move(done), reset));
    }
    EXPECT_FALSE(thread.StartOperation(Op::Operation::Wait, waitFor, nullptr));
    EXPECT_FALSE(guard.TryTake("the device report"));
    while (thread.busy() || !told.expired()) std::this_thread::yield();
    EXPECT_GE(clock.slept.load(), ms);
    EXPECT_LT(clock.slept.load(), ms + 100);
    EXPECT_FALSE(guard.busy()) << "the adapter is free once the wait has told its end";
    EXPECT_TRUE(thread.result());
  }
  thread.Stop();
  EXPECT_EQ(thread.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

}  // namespace
