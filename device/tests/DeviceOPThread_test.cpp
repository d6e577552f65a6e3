#include "device/DeviceOPThread.h"

#include <gtest/gtest.h>

#include <thread>

#include "platform/Clock.h"

namespace {

// Counts the program time a wait took.
class CountingClock : public platform::Clock {
 public:
  std::atomic<std::int64_t> slept{0};
  void Sleep(std::int64_t ms) override {
    slept += ms;
    std::this_thread::sleep_for(std::chrono::microseconds(ms));  // 1000x faster
  }
  std::int64_t NowMs() override { return slept; }
  std::chrono::nanoseconds ToReal(std::int64_t ms) override {
    return std::chrono::microseconds(ms);
  }
};

TEST(DeviceOPThread, WaitsFiveOrFortySecondsAndKeepsASecondRequestOut) {
  CountingClock clock;
  platform::SetClock(&clock);
  device::DeviceOPThread thread;
  ASSERT_TRUE(thread.Start());

  std::atomic<bool> done{false};
  ASSERT_TRUE(thread.StartOperation(device::DeviceOPThread::kOperationWait,
                                    device::DeviceOPThread::kOptionAdapter, &done));
  EXPECT_FALSE(thread.StartOperation(device::DeviceOPThread::kOperationWait, 2, nullptr));
  while (!done) std::this_thread::yield();
  while (thread.busy()) std::this_thread::yield();
  EXPECT_TRUE(thread.result());
  EXPECT_GE(clock.slept.load(), 5000);
  EXPECT_LT(clock.slept.load(), 5100);

  done = false;
  clock.slept = 0;
  ASSERT_TRUE(thread.StartOperation(device::DeviceOPThread::kOperationWait,
                                    device::DeviceOPThread::kOptionModule, &done));
  while (!done) std::this_thread::yield();
  EXPECT_GE(clock.slept.load(), 40000);

  // Unknown operations do nothing and leave the thread free.
  while (thread.busy()) std::this_thread::yield();
  ASSERT_TRUE(thread.StartOperation(7, 0, nullptr));
  while (thread.busy()) std::this_thread::yield();
  thread.Stop();
  EXPECT_EQ(thread.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

}  // namespace
