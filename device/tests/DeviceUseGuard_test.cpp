#include "device/DeviceUseGuard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "device/DeviceOPThread.h"
#include "platform/Clock.h"

namespace {

// Many threads race for the adapter; whoever holds it makes its "SDK calls" alone.
TEST(DeviceUseGuard, OneHolderAtATimeUnderContention) {
  device::DeviceUseGuard guard;
  std::atomic<int> inside{0}, most{0}, granted{0}, refused{0};
  std::vector<std::thread> threads;
  threads.reserve(8);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        // Half the threads refuse at once, half wait as a patient caller would.
        device::DeviceUse use = t % 2 ? guard.TryTake("try") : guard.Take("wait", -1);
        if (!use) {
          ++refused;
          continue;
        }
        ++granted;
        const int now = ++inside;
        int seen = most.load();
        while (now > seen && !most.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::yield();
        --inside;
      }
    });
  }
  for (auto& th : threads) th.join();
  EXPECT_EQ(most.load(), 1);
  EXPECT_EQ(granted + refused, 8 * 300);
  EXPECT_GE(granted.load(), 4 * 300) << "every waiting caller got its turn";
  EXPECT_FALSE(guard.busy());
}

TEST(DeviceUseGuard, SharesKeepTheHoldingAndNameItsProcedure) {
  device::DeviceUseGuard guard;
  device::DeviceUse first = guard.TryTake("the device reset");
  ASSERT_TRUE(first);
  EXPECT_EQ(first.procedure(), "the device reset");
  EXPECT_EQ(guard.holder(), "the device reset");
  EXPECT_FALSE(guard.TryTake("the device report"));

  device::DeviceUse share = first;
  first.Release();
  EXPECT_TRUE(guard.busy()) << "a share still holds the adapter";
  EXPECT_FALSE(guard.Take("the device report", 20));
  share.Release();
  EXPECT_FALSE(guard.busy());
  EXPECT_EQ(guard.holder(), "");
  EXPECT_TRUE(guard.TryTake("the device report"));
}

TEST(DeviceUseGuard, AWaitingCallerGetsTheAdapterWhenItIsFreed) {
  device::DeviceUseGuard guard;
  device::DeviceUse held = guard.TryTake("the firmware update");
  std::thread release([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    held.Release();
  });
  const device::DeviceUse next = guard.Take("the device report", 10000);
  release.join();
  EXPECT_TRUE(next);
  EXPECT_EQ(guard.holder(), "the device report");
}

// The wait after a reset keeps the adapter until it is over, even when the reset itself
// has already let go.
TEST(DeviceUseGuard, ADeviceOperationHoldsItsShareUntilItEnds) {
  platform::ScaledClock fast(0.002);  // the 5 s wait lasts 10 ms
  platform::SetClock(&fast);
  device::DeviceUseGuard guard;
  device::DeviceOPThread operations;
  ASSERT_TRUE(operations.Start());
  auto done = std::make_shared<std::atomic<bool>>(false);
  {
    device::DeviceUse reset = guard.TryTake("the device reset");
    ASSERT_TRUE(operations.StartOperation(device::DeviceOPThread::Operation::Wait,
                                          device::DeviceOPThread::WaitFor::Adapter, done, reset));
  }
  EXPECT_TRUE(guard.busy());
  EXPECT_FALSE(guard.TryTake("the device report"));
  while (!*done) std::this_thread::yield();
  EXPECT_FALSE(guard.busy()) << "the adapter is free once the wait has told its end";
  EXPECT_TRUE(guard.TryTake("the device report"));
  operations.Stop();
  platform::SetClock(nullptr);
}

}  // namespace
