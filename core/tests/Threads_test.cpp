#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "core/ProgressTicker.h"
#include "core/ZLock.h"
#include "core/ZThread.h"
#include "platform/Clock.h"

namespace {

class CountingThread : public core::ZThread {
 public:
  std::atomic<int> loops{0};
  std::atomic<bool> exited{false};
  void* seenArgument = nullptr;

 protected:
  void Run(void* argument) override {
    seenArgument = argument;
    while (!stopRequested()) {
      ++loops;
      platform::SleepMs(5);
    }
  }
  void OnExit() override { exited = true; }
};

TEST(ZThread, StartStopAndWaitFollowTheStates) {
  platform::ScaledClock fast(0.01);
  platform::SetClock(&fast);
  CountingThread t;
  EXPECT_EQ(t.state(), core::ZThread::kNeverStarted);
  t.StopAndWait();  // never started: returns at once
  int arg = 0;
  ASSERT_TRUE(t.Start(&arg));
  EXPECT_EQ(t.state(), core::ZThread::kRunning);
  EXPECT_FALSE(t.Start());  // one thread at a time
  t.StopAndWait();
  EXPECT_EQ(t.state(), core::ZThread::kFinished);
  EXPECT_TRUE(t.exited);
  EXPECT_EQ(t.seenArgument, &arg);
  EXPECT_FALSE(t.stopRequested());
  // A stop asked for right after the start is not lost.
  ASSERT_TRUE(t.Start());
  t.StopAndWait();
  EXPECT_EQ(t.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

TEST(ZLock, GuardsSharedDataAcrossThreads) {
  core::ZLock lock;
  std::vector<int> shared;
  std::vector<std::thread> threads;
  threads.reserve(4);
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 1000; ++i) {
        core::ZScopedLock guard(&lock);
        shared.push_back(i);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(shared.size(), 4000u);
  core::ZScopedLock none(nullptr);  // a missing lock is tolerated
}

TEST(ProgressTicker, ClosesByItsTickRule) {
  {
    core::ProgressTicker never(5);
    int ticks = 0;
    while (!never.Tick(false)) ++ticks;
    EXPECT_EQ(never.ticks(), 14);  // full bar after 5, closed after 5 + 9
    EXPECT_EQ(never.value(), 5);
  }
  {
    core::ProgressTicker doneEarly(5);
    EXPECT_FALSE(doneEarly.Tick(false));
    EXPECT_FALSE(doneEarly.Tick(false));
    EXPECT_TRUE(doneEarly.Tick(true));
    EXPECT_EQ(doneEarly.ticks(), 3);
    EXPECT_EQ(doneEarly.value(), 5);  // full bar
  }
  {
    core::ProgressTicker doneAfterFull(2);
    EXPECT_FALSE(doneAfterFull.Tick(false));
    EXPECT_FALSE(doneAfterFull.Tick(false));
    EXPECT_TRUE(doneAfterFull.Tick(true));  // full bar and done: closes at the next tick
    EXPECT_EQ(doneAfterFull.ticks(), 3);
  }
}

}  // namespace
