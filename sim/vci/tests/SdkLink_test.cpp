// The substitute SDK against the simulator: how the adapter is found, who may hold it, and
// the firmware write with its progress counter and its failures.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <cstring>
#include <thread>

#include "platform/Files.h"
#include "sdk/KRY.h"
#include "sdk/KRYLink.h"
#include "sdk/LinkSocket.h"
#include "sim/vci/FirmwareImage.h"
#include "sim/vci/ModuleShell.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::VciSim;

class SdkLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", folder.path().c_str(), 1);
    for (const char* name : {"SystemRoot", "windir", "KRY_SIM_ENDPOINT"}) ::unsetenv(name);
    ::setenv("KAVORA_TIME_SCALE", "0.01", 1);
    platform::CreateFolders(folder / "kry");
  }
  // Leads the SDK's settings to `sim`.
  void Meet(const VciSim& sim) {
    ASSERT_TRUE(sim.ok()) << sim.output();
    sim.WriteKryIni(folder / "kry/KRY.ini");
  }
  std::string Info(std::int32_t handle) {
    std::uint8_t info[KRY_INFO_SIZE] = {};
    EXPECT_EQ(KRY_DEV_GetInfo(handle, info), 0);
    return std::string(reinterpret_cast<char*>(info), sizeof info);
  }
  std::string HardwareName(std::int32_t handle) { return Info(handle).substr(28, 8); }
  testing_support::TempFolder folder;
};

TEST_F(SdkLinkTest, OneHolderAtATimeAndCallsNeedAnOpenHandle) {
  VciSim sim({"--low-voltage"});
  Meet(sim);
  std::int32_t first = 0, second = 0, mv = 0;
  ASSERT_EQ(KRY_Open(&first), KRY_OK);
  EXPECT_EQ(KRY_Open(&second), KRY_ERR_IN_USE);
  EXPECT_EQ(KRY_DEV_GetPinVol(first, 16, &mv), KRY_OK);
  EXPECT_EQ(mv, 7200);
  const std::uint8_t leds[4] = {1, 1, 1, 1};
  EXPECT_EQ(KRY_DEV_SetLed(first, leds), KRY_OK);
  EXPECT_EQ(KRY_Close(first), KRY_OK);
  EXPECT_EQ(KRY_Close(first), KRY_ERR_BAD_HANDLE);
  EXPECT_EQ(KRY_DEV_SetLed(first, leds), KRY_ERR_BAD_HANDLE);
  EXPECT_EQ(KRY_Enum(nullptr), KRY_ERR_NOT_SUPPORTED);
  // Free again once the holder has closed.
  ASSERT_EQ(KRY_Open(&second), KRY_OK);
  EXPECT_EQ(KRY_Close(second), KRY_OK);
  EXPECT_TRUE(sim.WaitFor("close"));
  EXPECT_TRUE(sim.Recorded("open refused: in use"));
}

TEST_F(SdkLinkTest, FirmwareWriteRaisesProgressAndRunsTheNewFirmware) {
  const std::string image = folder / "KRY.bin";
  const std::string broken = folder / "broken.bin";
  vcisim::VciFirmware fw{"KRYVCI2", {2, 0, 1, 9}, 17, 11, 2025};
  std::string bytes = vcisim::MakeVciImage(fw, std::string(100000, 'x'));
  platform::WriteFile(image, bytes);
  bytes[5000] ^= 1;
  platform::WriteFile(broken, bytes);

  const struct {
    const char* what;
    std::vector<std::string> switches;
    std::string path;
    std::int32_t result;
    std::string hardwareAfter;
  } cases[] = {
      {"good image", {}, image, KRY_OK, "VCI-X100"},
      {"broken image", {}, broken, KRY_ERR_FIRMWARE, "VCI-BOOT"},
      {"write fails halfway", {"--fw-fail-halfway"}, image, KRY_ERR_FIRMWARE, "VCI-BOOT"},
      {"no image", {}, folder / "missing.bin", KRY_ERR_NO_FILE, "VCI-X100"},
      {"boot loader, good image", {"--boot-mode"}, image, KRY_OK, "VCI-X100"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto switches = c.switches;
    switches.insert(switches.end(), {"--firmware-write-ms", "3000"});
    VciSim sim(switches);
    Meet(sim);
    std::int32_t handle = 0;
    ASSERT_EQ(KRY_Open(&handle), KRY_OK);
    std::int32_t progress = -1;
    std::atomic<bool> done{false};
    std::vector<std::int32_t> seen;
    std::thread watcher([&] {
      while (!done) {
        const std::int32_t now = *static_cast<volatile std::int32_t*>(&progress);
        seen.push_back(now);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    EXPECT_EQ(KRY_DEV_UpdateFirmware(handle, c.path.c_str(), 0, &progress), c.result);
    done = true;
    watcher.join();
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(progress == KRY_FIRMWARE_PROGRESS_FULL, c.result == KRY_OK);
    if (c.result == KRY_OK) {
      EXPECT_EQ(Info(handle).substr(44, 16),
                std::string("KRYVCI2\0\x09\x01\x00\x02\x00\x11\x0b\x37", 16));
    }
    EXPECT_EQ(HardwareName(handle), c.hardwareAfter);
    KRY_Close(handle);
  }
}

TEST_F(SdkLinkTest, ALostLinkDuringTheWriteLeavesTheBootLoader) {
  VciSim sim;
  Meet(sim);
  int fd = kry_link::ConnectTcp(sim.address(), VciSim::kSdkPort, 3000);
  ASSERT_GE(fd, 0);
  std::int32_t result = -1;
  std::string reply, size;
  kry_link::PutU32(size, 50000);
  for (const auto& [call, data] : {std::pair{kry_link::kOpen, std::string()},
                                   {kry_link::kFirmwareBegin, size},
                                   {kry_link::kFirmwareData, std::string(1000, 'x')}})
    ASSERT_TRUE(kry_link::Call(fd, call, data, 3000, result, reply));
  kry_link::CloseSocket(fd);
  ASSERT_TRUE(sim.WaitFor("firmware write interrupted"));
  std::int32_t handle = 0;
  ASSERT_EQ(KRY_Open(&handle), KRY_OK);
  EXPECT_EQ(HardwareName(handle), "VCI-BOOT");
  KRY_Close(handle);
}

TEST(SandboxPathTest, NoPathLeavesTheSandbox) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"/bin/kry-fwup", "/sb/bin/kry-fwup"},
      {"/tmp/firmware.bin", "/sb/tmp/firmware.bin"},
      {"../../etc/passwd", "/sb/etc/passwd"},
      {"/tmp/../../../x", "/sb/x"},
      {"./a//b/./c", "/sb/a/b/c"},
      {"\\windows\\x", "/sb/windows/x"},
      {"/", ""},
      {"", ""},
      {"..", ""},
  };
  for (const auto& [modulePath, expected] : cases) {
    const auto got = vcisim::SandboxPath("/sb", modulePath);
    EXPECT_EQ(got.value_or(""), expected) << modulePath;
  }
}

}  // namespace
