// The substitute SDK against the simulator: how the adapter is found, who may hold it, and
// the firmware write with its progress counter and its failures; and the simulator's own
// service: its connections, its addresses and its module's sandbox.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <thread>
#include <tuple>

#include "platform/Files.h"
#include "sdk/KRY.h"
#include "sdk/KRYLink.h"
#include "sdk/LinkSocket.h"
#include "sim/vci/FirmwareImage.h"
#include "sim/vci/ModuleShell.h"
#include "sim/vci/TcpService.h"
#include "tests/support/ShellRun.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::VciSim;

class SdkLinkTest : public testing_support::SimulatedAdapterTest {
 protected:
  // A simulator run with `arguments`, which the SDK's settings lead to.
  std::unique_ptr<VciSim> Meet(std::vector<std::string> arguments = {}) {
    auto sim = std::make_unique<VciSim>(std::move(arguments));
    EXPECT_TRUE(sim->ok()) << sim->output();
    sim->WriteKryIni(folder / "kry/KRY.ini");
    return sim;
  }
  std::string HardwareName(std::int32_t handle) {
    std::uint8_t info[KRY_INFO_SIZE] = {};
    EXPECT_EQ(KRY_DEV_GetInfo(handle, info), 0);
    return std::string(reinterpret_cast<char*>(info) + 28, 8);
  }
};

TEST_F(SdkLinkTest, OneHolderAtATimeAndCallsNeedAnOpenHandle) {
  const auto sim = Meet({"--low-voltage"});
  std::int32_t first = 0, second = 0, mv = 0;
  const std::uint8_t leds[4] = {1, 1, 1, 1};
  ASSERT_EQ(KRY_Open(&first), KRY_OK);
  const std::int32_t whileHeld[] = {KRY_Open(&second), KRY_DEV_GetPinVol(first, 16, &mv),
                                    KRY_DEV_SetLed(first, leds), KRY_Close(first)};
  EXPECT_THAT(whileHeld, testing::ElementsAre(KRY_ERR_IN_USE, KRY_OK, KRY_OK, KRY_OK));
  EXPECT_EQ(mv, 7200);
  // A closed handle is refused; the adapter is free again for the next holder.
  const std::int32_t afterwards[] = {KRY_Close(first), KRY_DEV_SetLed(first, leds),
                                     KRY_Enum(nullptr), KRY_Open(&second), KRY_Close(second)};
  EXPECT_THAT(afterwards, testing::ElementsAre(KRY_ERR_BAD_HANDLE, KRY_ERR_BAD_HANDLE,
                                               KRY_ERR_NOT_SUPPORTED, KRY_OK, KRY_OK));
  EXPECT_TRUE(sim->WaitFor("close") && sim->Recorded("open refused: in use"));
}

// What the new firmware reports is the repair tool's test; here the counter's full scale and
// what the adapter runs after an image it refuses.
TEST_F(SdkLinkTest, FirmwareWriteEndsAtFullScaleOnlyForAGoodImage) {
  const std::string good = folder / "KRY.bin", broken = folder / "broken.bin";
  std::string bytes = vcisim::MakeVciImage({"KRYVCI2", {2, 0, 1, 9}, 17, 11, 2025}, "x");
  platform::WriteFile(good, bytes);
  bytes.back() ^= 1;
  platform::WriteFile(broken, bytes);
  const std::tuple<std::string, std::int32_t, const char*> cases[] = {
      {good, KRY_OK, "VCI-X100"},
      {broken, KRY_ERR_FIRMWARE, "VCI-BOOT"},
      {folder / "missing.bin", KRY_ERR_NO_FILE, "VCI-X100"}};
  for (const auto& [path, result, hardwareAfter] : cases) {
    const auto sim = Meet();
    std::int32_t handle = 0, progress = -1;
    ASSERT_EQ(KRY_Open(&handle), KRY_OK);
    EXPECT_EQ(KRY_DEV_UpdateFirmware(handle, path.c_str(), 0, &progress), result);
    EXPECT_EQ(progress == KRY_FIRMWARE_PROGRESS_FULL, result == KRY_OK);
    EXPECT_EQ(HardwareName(handle), hardwareAfter);
    KRY_Close(handle);
  }
}

TEST_F(SdkLinkTest, ALostLinkDuringTheWriteLeavesTheBootLoader) {
  const auto sim = Meet();
  int fd = kry_link::ConnectTcp(sim->address(), VciSim::kSdkPort, 3000);
  ASSERT_GE(fd, 0);
  std::int32_t result = -1;
  std::string reply, size;
  kry_link::PutU32(size, 50000);
  for (const auto& [call, data] : {std::pair{kry_link::kOpen, std::string()},
                                   {kry_link::kFirmwareBegin, size},
                                   {kry_link::kFirmwareData, std::string(1000, 'x')}})
    ASSERT_TRUE(kry_link::Call(fd, call, data, 3000, result, reply));
  kry_link::CloseSocket(fd);
  ASSERT_TRUE(sim->WaitFor("firmware write interrupted"));
  std::int32_t handle = 0;
  ASSERT_EQ(KRY_Open(&handle), KRY_OK);
  EXPECT_EQ(HardwareName(handle), "VCI-BOOT");
  KRY_Close(handle);
}

TEST(SandboxPathTest, NoPathLeavesTheSandbox) {
  const std::pair<const char*, const char*> cases[] = {{"/tmp/../../../x", "/sb/x"},
                                                       {"./a//b/./c", "/sb/a/b/c"},
                                                       {"\\windows\\x", "/sb/windows/x"},
                                                       {"..", ""}};
  for (const auto& [modulePath, expected] : cases)
    EXPECT_EQ(vcisim::SandboxPath("/sb", modulePath).value_or(""), expected);
}

// A simulator serves every SDK call on a connection of its own; after many of them it holds
// no more threads than connections still open.
TEST(TcpService, SpentConnectionsLeaveNoThreadsBehind) {
  vcisim::TcpService service("test", "127.0.0.57", 47123, [](int) {});
  ASSERT_TRUE(service.Listen());
  for (int i = 0; i < 300; ++i) {
    int fd = kry_link::ConnectTcp("127.0.0.57", 47123, 1000);
    ASSERT_GE(fd, 0) << i;
    char byte;
    EXPECT_EQ(::recv(fd, &byte, 1, 0), 0) << "the service ends the connection";
    kry_link::CloseSocket(fd);
  }
  std::size_t left = service.WorkerCount();
  for (int i = 0; i < 200 && left > 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    left = service.WorkerCount();
  }
  EXPECT_EQ(left, 0u);
}

TEST(VciSimCommandLine, ServesLoopbackAddressesOnly) {
  const auto run = testing_support::RunShell(std::string(VCI_SIM_PATH) + " --address 0.0.0.0 2>&1");
  EXPECT_EQ(run.code, 2);
  EXPECT_NE(run.out.find("loopback addresses (127.x.x.x) only"), std::string::npos) << run.out;
}

}  // namespace
