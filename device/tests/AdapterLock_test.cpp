#include "device/AdapterLock.h"

#include <gtest/gtest.h>

#include <thread>

#include "device/DeviceUseGuard.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/TempFolder.h"

namespace {

core::CommRecord Record(int type, int port, const std::string& address) {
  core::CommRecord r;
  r.Type = type;
  r.Port = port;
  r.IPAddr = address;
  return r;
}

// One file per connection, always in the SDK settings' folder whatever KRY.ini says.
TEST(AdapterLock, OneFilePerConnectionBesideTheSettings) {
  const struct {
    core::CommRecord record;
    std::string name;
  } cases[] = {
      {Record(core::kCommFtdiUsb, 3, "192.168.8.1"), "adapter-0-3.lock"},
      {Record(core::kCommBluetooth, 7, ""), "adapter-2-7.lock"},
      {Record(core::kCommWifi, 6800, "192.168.8.1"), "adapter-3-192.168.8.1:6800.lock"},
      {Record(core::kCommFarlink, 1, "../../etc/x y"), "adapter-8-.._.._etc_x_y:1.lock"},
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
  const std::string file = dir / "adapter-4-10.0.0.1:6800.lock";
  device::DeviceUseGuard gui, cli;
  for (auto* guard : {&gui, &cli}) guard->SetLockFile([file] { return file; });

  device::DeviceUse update = gui.TryTake("the firmware update");
  ASSERT_TRUE(update);
  std::string refusedBy;
  EXPECT_FALSE(cli.Take("the device report", 0, 2000, &refusedBy));
  EXPECT_EQ(refusedBy, "the firmware update");
  EXPECT_FALSE(cli.busy()) << "a refused take leaves its own process free";

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

}  // namespace
