// Holding the adapter: within the program, between programs, and through the wait after a
// reset.
#include "device/AdapterLock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <tuple>
#include <vector>

#include "device/DeviceOPThread.h"
#include "device/DeviceUseGuard.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

// One file per connection, always in the SDK settings' folder whatever KRY.ini says.
TEST(AdapterLock, OneFilePerConnectionBesideTheSettings) {
  const struct {
    core::CommRecord record;
    std::string name;
  } cases[] = {
      {{core::kCommFtdiUsb, 3, 0, 0, 0, "192.168.8.1"}, "adapter-0-3.lock"},
      {{core::kCommBluetooth, 7}, "adapter-2-7.lock"},
      {{core::kCommWifi, 6800, 0, 0, 0, "192.168.8.1"}, "adapter-3-192.168.8.1:6800.lock"},
      {{core::kCommFarlink, 1, 0, 0, 0, "../../etc/x y"}, "adapter-8-.._.._etc_x_y:1.lock"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(device::AdapterLockPath("/cfg/kry/KRY.ini", c.record), "/cfg/kry/" + c.name);
}

// Each guard stands for another process: flock keeps apart two opens of the same file even
// within one process.
TEST(AdapterLock, AnotherProgramIsRefusedAndToldWhoHoldsTheAdapter) {
  platform::ScaledClock fast(0.01);
  platform::SetClock(&fast);
  testing_support::TempFolder dir;
  std::string file = dir / "adapter-4-10.0.0.1:6800.lock";
  device::DeviceUseGuard gui, cli;
  for (auto* guard : {&gui, &cli}) guard->SetLockFile([file] { return file; });

  device::DeviceUse update = gui.TryTake("the firmware update");
  ASSERT_TRUE(update);
  std::string refusedBy;
  EXPECT_FALSE(cli.Take("the device report", 0, 2000, &refusedBy));
  // A refused take leaves its own process free.
  EXPECT_EQ(std::make_pair(refusedBy, cli.busy()),
            std::make_pair(std::string("the firmware update"), false));

  // A waiting read gets the adapter when the other program's procedure ends.
  std::thread end([&] {
    platform::SleepMs(200);
    update.Release();
  });
  const device::DeviceUse report = cli.Take("the device report", 0, 1000000, &refusedBy);
  end.join();
  EXPECT_TRUE(report);
  EXPECT_EQ(platform::ReadFile(file).value_or(""), "the device report\n");
  EXPECT_FALSE(gui.TryTake("the device reset"));
  platform::SetClock(nullptr);
}

// Many threads race for the adapter; whoever holds it makes its "SDK calls" alone.
TEST(DeviceUseGuard, OneHolderAtATimeUnderContention) {
  device::DeviceUseGuard guard;
  std::atomic<int> inside{0}, overlaps{0}, granted{0}, refused{0};
  std::vector<std::thread> threads;
  threads.reserve(8);
  for (int t = 0; t < 8; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 300; ++i) {
        // Half the threads refuse at once, half wait as a patient caller would.
        device::DeviceUse use = t % 2 ? guard.TryTake("try") : guard.Take("wait", -1);
        ++(use ? granted : refused);
        if (!use) continue;
        if (++inside > 1) ++overlaps;
        std::this_thread::yield();
        --inside;
      }
    });
  }
  for (auto& th : threads) th.join();
  // Every waiting caller got its turn.
  EXPECT_EQ(std::make_tuple(overlaps.load(), granted + refused, granted >= 4 * 300, guard.busy()),
            std::make_tuple(0, 8 * 300, true, false));
}

// Counts the program time the pauses took, running 1000 times faster.
struct CountingClock : platform::ScaledClock {
  CountingClock() : ScaledClock(0.001) {}
  void Sleep(std::int64_t ms) override { slept += ms, ScaledClock::Sleep(ms); }
  std::atomic<std::int64_t> slept{0};
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
    std::string refusedBy;
    EXPECT_FALSE(guard.Take("the device report", 20, 0, &refusedBy));
    EXPECT_EQ(refusedBy, "the device reset");
    while (thread.busy() || !told.expired()) std::this_thread::yield();
    // The adapter is free once the wait has told its end.
    EXPECT_EQ(
        std::make_tuple(clock.slept >= ms, clock.slept < ms + 100, guard.busy(), thread.result()),
        std::make_tuple(true, true, false, true));
  }
  thread.Stop();
  EXPECT_EQ(thread.state(), core::ZThread::kFinished);
  platform::SetClock(nullptr);
}

}  // namespace
