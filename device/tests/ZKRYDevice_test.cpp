#include "device/ZKRYDevice.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <deque>

#include "device/ZKRYDeviceManager.h"
#include "device/ZKRYSdk.h"
#include "platform/Files.h"
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/TempFolder.h"
#include "tests/support/VciSim.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::VciSim;

// ---- the binding ------------------------------------------------------------------------

TEST(ZKRYSdkTest, ResolvesEveryEntryOfTheSubstituteLibrary) {
  ScriptedInteraction ui;
  device::ZKRYSdk sdk;
  ASSERT_TRUE(sdk.Load(ui));
  EXPECT_TRUE(sdk.loaded());
  EXPECT_TRUE(ui.shown().empty());
  const auto& e = sdk.entries();
  // The entries by name are used by every test against the simulator; ordinal 39 is the
  // firmware write.
  void* library = ::dlopen("libKRY.so", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(library, nullptr);
  EXPECT_EQ(reinterpret_cast<void*>(e.KRY_DEV_UpdateFirmware), ::dlsym(library, "KRY_Ordinal_39"));
  ::dlclose(library);
  // The other required entries (29 names and 16 ordinals in all, 10 of them called).
  EXPECT_EQ(e.others.size(), 35u);
}

TEST(ZKRYSdkTest, AMissingLibraryIsReportedTheFirstTimeOnly) {
  ScriptedInteraction ui;
  device::ZKRYSdk sdk;
  EXPECT_FALSE(sdk.Load(ui, "NoSuchSdk.dll"));
  EXPECT_FALSE(sdk.Load(ui, "NoSuchSdk.dll"));
  const auto shown = ui.shown();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "ERROR: Loadlibrary(NoSuchSdk.dll) ErrorCode = 126");
  EXPECT_EQ(shown[0].caption, "Error");
  EXPECT_EQ(shown[0].icon, core::MessageIcon::Error);
}

TEST(ZKRYSdkTest, AMissingEntryFailsTheLoadAndLeavesTheLibraryLoaded) {
  ScriptedInteraction ui;
  device::ZKRYSdk sdk;
  EXPECT_FALSE(sdk.Load(ui, "libKRYBroken.so"));
  EXPECT_FALSE(sdk.loaded());
  EXPECT_EQ(ui.Texts("message"), std::vector<std::string>{"ERROR: SDK GetProcAddress!"});
  EXPECT_EQ(ui.shown()[0].caption, "Error");
  void* stillThere = ::dlopen("libKRYBroken.so", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_NE(stillThere, nullptr);
  if (stillThere) ::dlclose(stillThere);
  EXPECT_EQ(sdk.entries().KRY_Open, nullptr);
}

// ---- the device object over a scripted SDK ----------------------------------------------

std::deque<std::int32_t> g_openResults;
std::int32_t g_closeResult = 0;
std::uint8_t g_info[KRY_INFO_SIZE];
std::uint8_t g_extension[KRY_EXINFO_SIZE];

std::int32_t FakeOpen(std::int32_t* handle) {
  *handle = 7;
  const std::int32_t r = g_openResults.empty() ? 0 : g_openResults.front();
  if (!g_openResults.empty()) g_openResults.pop_front();
  return r;
}
std::int32_t FakeClose(std::int32_t) { return g_closeResult; }
std::int32_t FakeInfo(std::int32_t, std::uint8_t* b) {
  std::memcpy(b, g_info, sizeof g_info);
  return 0;
}
std::int32_t FakeExtension(std::int32_t, std::uint8_t* b) {
  std::memcpy(b, g_extension, sizeof g_extension);
  return 0;
}
std::int32_t FakeCommIf(std::int32_t, KRY_COMM_IF* c) {
  *c = KRY_COMM_IF{3, 6800, 0, "192.168.8.1"};
  return 0;
}

class ScriptedDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sdk.KRY_Open = FakeOpen;
    sdk.KRY_Close = FakeClose;
    sdk.KRY_DEV_GetInfo = FakeInfo;
    sdk.KRY_DEV_SynExInfo = FakeExtension;
    sdk.KRY_GetCommIf = FakeCommIf;
    g_openResults.clear();
    g_closeResult = 0;
    std::memset(g_info, 0, sizeof g_info);
    std::memset(g_extension, 0, sizeof g_extension);
  }
  device::KRYEntries sdk;
};

TEST_F(ScriptedDeviceTest, InUseHoldsUntilASuccessfulOpenOrClose) {
  struct Step {
    std::int32_t openResult;
    bool connected, inUse;
  };
  const std::vector<std::vector<Step>> cases = {
      {{127, false, true}, {1, false, true}, {4, false, true}, {0, true, false}},
      {{1, false, false}, {127, false, true}, {0, true, false}},
      {{0, true, false}},
  };
  for (const auto& steps : cases) {
    device::ZKRYDevice dev(sdk);
    for (const Step& s : steps) {
      g_openResults = {s.openResult};
      EXPECT_EQ(dev.Open(), s.openResult);
      EXPECT_EQ(dev.connected(), s.connected) << "after " << s.openResult;
      EXPECT_EQ(dev.inUse(), s.inUse) << "after " << s.openResult;
    }
  }
}

TEST_F(ScriptedDeviceTest, CloseClearsOnlyOnSuccess) {
  device::ZKRYDevice dev(sdk);
  g_info[16] = 'K';
  ASSERT_EQ(dev.Open(), 0);
  ASSERT_TRUE(dev._ReadHWInfo());
  g_closeResult = 4;
  EXPECT_EQ(dev.Close(), 4);
  EXPECT_TRUE(dev.connected());
  EXPECT_EQ(dev.info()[16], 'K');
  g_closeResult = 0;
  EXPECT_EQ(dev.Close(), 0);
  EXPECT_FALSE(dev.connected());
  EXPECT_EQ(dev.info()[16], 0);
  EXPECT_FALSE(dev._ReadHWInfo()) << "reading needs an open adapter";
}

// The blocks hold fixed-width bytes as the adapter sends them, not C strings.
// NOLINTBEGIN(bugprone-not-null-terminated-result)
TEST_F(ScriptedDeviceTest, BuildsSerialNumberVersionAndModuleFromTheBlocks) {
  std::memcpy(g_info + 16, "K9ABC\x01\x02", 7);
  std::memcpy(g_info + 28, "vci-bootXXXX", 12);  // eight characters, not terminated
  const std::uint8_t version[4] = {4, 3, 2, 1};
  std::memcpy(g_info + 52, version, 4);
  g_info[57] = 5;
  g_info[58] = 3;
  g_info[59] = 54;
  g_info[12] = 0x01;
  g_info[13] = 0x03;
  device::ZKRYDevice dev(sdk);
  ASSERT_EQ(dev.Open(), 0);
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_EQ(dev.serialNumber(), "K9ABC00258");
  EXPECT_EQ(dev.firmwareVersion(), "1.2.3.4");
  EXPECT_EQ(dev.firmwareDate(), "2024-03-05");
  EXPECT_EQ(dev.hardwareName(), "vci-boot");
  EXPECT_TRUE(dev.InBootLoader());
  EXPECT_EQ(dev.pid(), 0x0301);
  EXPECT_TRUE(dev.ExtensionEmpty());
  EXPECT_FALSE(dev.HasDoIPModule());
  EXPECT_EQ(dev.address(), "192.168.8.1");

  // A module with a name and version but no SSID is no module for the report.
  std::memcpy(g_extension + 8, "DOIPMOD\0V1.0.3", 14);
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_FALSE(dev.ExtensionEmpty());
  EXPECT_FALSE(dev.HasDoIPModule());
  std::memcpy(g_extension + 32, "WIFI-\xE9", 6);  // ANSI e-acute
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_TRUE(dev.HasDoIPModule());
  EXPECT_EQ(dev.module().ssid, "WIFI-\xC3\xA9");
}
// NOLINTEND(bugprone-not-null-terminated-result)

TEST_F(ScriptedDeviceTest, OpeningTwiceKeepsTheOneHandle) {
  device::ZKRYDevice dev(sdk);
  g_openResults = {0, 127};
  ASSERT_EQ(dev.Open(), 0);
  EXPECT_EQ(dev.Open(), 0);
  EXPECT_EQ(g_openResults.size(), 1u) << "the SDK was not asked again";
  EXPECT_FALSE(dev.inUse());
}

TEST(ZKRYDeviceManagerTest, TheFirstDeviceIsCurrent) {
  device::KRYEntries none;
  device::ZKRYDeviceManager manager;
  EXPECT_EQ(manager.current(), nullptr);
  auto* first = manager.Add(std::make_unique<device::ZKRYDevice>(none));
  manager.Add(std::make_unique<device::ZKRYDevice>(none));
  EXPECT_EQ(manager.current(), first);
  EXPECT_EQ(manager.count(), 2u);
  EXPECT_EQ(first->Open(), device::ZKRYDevice::kNoSdk);
}

// ---- the device object against the simulator -------------------------------------------

// What the adapter reports is read through the device report's tests against the simulator.
using SimDeviceTest = testing_support::SimulatedAdapterTest;

TEST_F(SimDeviceTest, InUseByAnotherHolderAndStillAfterTheAdapterVanishes) {
  VciSim sim;
  ASSERT_TRUE(sim.ok()) << sim.output();
  sim.WriteKryIni(folder / "kry/KRY.ini");
  device::ZKRYDevice holder, dev;
  ASSERT_EQ(holder.Open(), 0);
  EXPECT_EQ(dev.Open(), KRY_ERR_IN_USE);
  EXPECT_TRUE(dev.inUse());
  sim.Stop();
  EXPECT_EQ(dev.Open(), KRY_ERR_NOT_CONNECTED);
  EXPECT_TRUE(dev.inUse());
  EXPECT_FALSE(dev.connected());
  // The holder's adapter is gone: closing still frees the handle.
  EXPECT_EQ(holder.Close(), 0);
}

}  // namespace
