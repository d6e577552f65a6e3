#include "device/DeviceUseGuard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

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

}  // namespace
