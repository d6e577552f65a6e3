#include "device/ZKRYDevice.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <tuple>

#include "device/ZKRYSdk.h"
#include "tests/support/ScriptedInteraction.h"

namespace {

using testing_support::ScriptedInteraction;

// ---- the binding ------------------------------------------------------------------------

// Ordinal 39 is the firmware write. A missing library is reported the first time only; a
// missing entry fails the load and leaves no entry half set.
TEST(ZKRYSdkTest, ResolvesTheSubstituteLibraryAndRefusesAMissingLibraryOrEntry) {
  ScriptedInteraction ui;
  device::ZKRYSdk sdk, missing, broken;
  ASSERT_TRUE(sdk.Load(ui));
  EXPECT_TRUE(sdk.loaded() && ui.shown().empty());
  void* library = ::dlopen("libKRY.so", RTLD_NOW | RTLD_NOLOAD);
  EXPECT_EQ(reinterpret_cast<void*>(sdk.entries().KRY_DEV_UpdateFirmware),
            ::dlsym(library, "KRY_Ordinal_39"));
  ::dlclose(library);
  EXPECT_FALSE(missing.Load(ui, "NoSuchSdk.dll") || missing.Load(ui, "NoSuchSdk.dll"));
  EXPECT_FALSE(broken.Load(ui, "libKRYBroken.so") || broken.loaded());
  EXPECT_EQ(ui.Texts("message"),
            (std::vector<std::string>{"ERROR: Loadlibrary(NoSuchSdk.dll) ErrorCode = 126",
                                      "ERROR: SDK GetProcAddress!"}));
  for (const auto& shown : ui.shown())
    EXPECT_TRUE(shown.caption == "Error" && shown.icon == core::MessageIcon::Error);
  EXPECT_EQ(broken.entries().KRY_Open, nullptr);
}

// ---- the device object over a scripted SDK ----------------------------------------------

std::deque<std::int32_t> g_openResults;
std::int32_t g_closeResult = 0;
std::uint8_t g_info[KRY_INFO_SIZE];
std::uint8_t g_extension[KRY_EXINFO_SIZE];

class ScriptedDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sdk.KRY_Open = [](std::int32_t* handle) {
      *handle = 7;
      const std::int32_t r = g_openResults.empty() ? 0 : g_openResults.front();
      if (!g_openResults.empty()) g_openResults.pop_front();
      return r;
    };
    sdk.KRY_Close = [](std::int32_t) { return g_closeResult; };
    sdk.KRY_DEV_GetInfo = [](std::int32_t, std::uint8_t* b) {
      return std::memcpy(b, g_info, sizeof g_info), 0;
    };
    sdk.KRY_DEV_SynExInfo = [](std::int32_t, std::uint8_t* b) {
      return std::memcpy(b, g_extension, sizeof g_extension), 0;
    };
    sdk.KRY_GetCommIf = [](std::int32_t, KRY_COMM_IF* c) {
      return *c = KRY_COMM_IF{3, 6800, 0, "192.168.8.1"}, 0;
    };
    g_openResults.clear();
    g_closeResult = 0;
    std::memset(g_info, 0, sizeof g_info);
    std::memset(g_extension, 0, sizeof g_extension);
  }
  device::KRYEntries sdk;
};

// Only "in use" marks the adapter held by another; it holds until an open succeeds. Opening
// again keeps the one handle; closing clears only on success.
TEST_F(ScriptedDeviceTest, OpenAndClose) {
  const std::tuple<std::int32_t, bool, bool> steps[] = {
      {1, false, false}, {127, false, true}, {4, false, true}, {0, true, false}};
  device::ZKRYDevice dev(sdk);
  for (const auto& [openResult, connected, inUse] : steps) {
    g_openResults = {openResult};
    const std::int32_t opened = dev.Open();
    EXPECT_EQ(std::make_tuple(opened, dev.connected(), dev.inUse()),
              std::make_tuple(openResult, connected, inUse));
  }
  g_info[16] = 'K';
  g_openResults = {127};
  EXPECT_EQ(dev.Open(), 0);
  EXPECT_EQ(g_openResults.size(), 1u);  // the SDK was not asked again
  ASSERT_TRUE(dev._ReadHWInfo());
  for (const std::int32_t result : {4, 0}) {
    g_closeResult = result;
    EXPECT_EQ(dev.Close(), result);
    EXPECT_EQ(std::make_pair(dev.connected(), dev.info()[16]),
              std::make_pair(result != 0, std::uint8_t(result ? 'K' : 0)));
  }
  EXPECT_FALSE(dev._ReadHWInfo());  // reading needs an open adapter
}

// The blocks hold fixed-width bytes as the adapter sends them, not C strings.
// NOLINTBEGIN(bugprone-not-null-terminated-result)
// Serial number, versions, dates, PIDs and address are read from the simulator by the report
// tests; here the edges the simulator does not send.
TEST_F(ScriptedDeviceTest, BuildsHardwareNameAndModuleFromTheBlocks) {
  std::memcpy(g_info + 28, "vci-bootXXXX", 12);  // eight characters, not terminated
  device::ZKRYDevice dev(sdk);
  ASSERT_EQ(dev.Open(), 0);
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_EQ(std::make_pair(dev.hardwareName(), dev.InBootLoader()),
            std::make_pair(std::string("vci-boot"), true));
  EXPECT_TRUE(dev.ExtensionEmpty() && !dev.HasDoIPModule());
  // A module with a name and version but no SSID is no module for the report.
  std::memcpy(g_extension + 8, "DOIPMOD\0V1.0.3", 14);
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_FALSE(dev.ExtensionEmpty() || dev.HasDoIPModule());
  std::memcpy(g_extension + 32, "WIFI-\xE9", 6);  // ANSI e-acute
  ASSERT_TRUE(dev._ReadHWInfo());
  EXPECT_EQ(dev.HasDoIPModule() ? dev.module().ssid : "", "WIFI-\xC3\xA9");
}
// NOLINTEND(bugprone-not-null-terminated-result)

}  // namespace
