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

  using Op = device::DeviceOPThread;
  auto done = std::make_shared<std::atomic<bool>>(false);
  ASSERT_TRUE(thread.StartOperation(Op::Operation::Wait, Op::WaitFor::Adapter, done));
  EXPECT_FALSE(thread.StartOperation(Op::Operation::Wait, Op::WaitFor::Module, nullptr));
  while (!*done) std::this_thread::yield();
  while (thread.busy()) std::this_thread::yield();
  EXPECT_TRUE(thread.result());
  EXPECT_GE(clock.slept.load(), 5000);
  EXPECT_LT(clock.slept.load(), 5100);

  clock.slept = 0;
  // The caller may drop its flag at once: the thread keeps it until it has told the end.
  std::weak_ptr<std::atomic<bool>> told = done = std::make_shared<std::atomic<bool>>(false);
  ASSERT_TRUE(thread.StartOperation(Op::Operation::Wait, Op::WaitFor::Module, std::move(done)));
  while (thread.busy() || !told.expired()) std::this_thread::yield();
  EXPECT_GE(clock.slept.load(), 40000);
  thread.Stop();
  EXPECT_EQ(thread.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

}  // namespace
