#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "core/ProgressTicker.h"
#include "core/ZLock.h"
#include "core/ZThread.h"
#include "platform/Clock.h"

namespace {

class CountingThread : public core::ZThread {
 public:
  std::atomic<bool> exited{false};
  void* seenArgument = nullptr;

 protected:
  void Run(void* argument) override {
    seenArgument = argument;
    while (!stopRequested()) platform::SleepMs(5);
  }
  void OnExit() override { exited = true; }
};

TEST(ZThread, StatesAndTheLock) {
  platform::ScaledClock fast(0.01);
  platform::SetClock(&fast);
  CountingThread t;
  t.StopAndWait();  // never started: returns at once
  int arg = 0;
  EXPECT_TRUE(t.Start(&arg) && t.state() == core::ZThread::kRunning);
  EXPECT_FALSE(t.Start());  // one thread at a time
  t.StopAndWait();
  EXPECT_TRUE(t.state() == core::ZThread::kFinished && t.exited && t.seenArgument == &arg);
  // A stop asked for right after the start is not lost.
  EXPECT_TRUE(t.Start());
  t.StopAndWait();
  EXPECT_EQ(t.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);

  // The lock guards shared data across threads.
  core::ZLock lock;
  std::vector<int> shared;
  const auto fill = [&] {
    for (int i = 0; i < 1000; ++i) {
      core::ZScopedLock guard(&lock);
      shared.push_back(i);
    }
  };
  std::thread a(fill), b(fill);
  fill();
  a.join(), b.join();
  EXPECT_EQ(shared.size(), 3000u);
  core::ZScopedLock none(nullptr);  // a missing lock is tolerated
}

// Full bar after `maximum` ticks; closed 9 ticks later, or at the first tick that sees the
// owner done, the bar then full.
TEST(ProgressTicker, ClosesByItsTickRule) {
  for (const auto& [maximum, doneAtTick, closedAfter] :
       {std::tuple{5, 0, 14}, {5, 3, 3}, {2, 3, 3}}) {
    core::ProgressTicker ticker(maximum);
    int tick = 1;
    while (!ticker.Tick(tick == doneAtTick)) ++tick;
    EXPECT_EQ(std::pair(ticker.ticks(), ticker.value()), std::pair(closedAfter, maximum));
  }
}

}  // namespace
