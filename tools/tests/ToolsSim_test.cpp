// The tools' work: the DoIP module's network settings checked before they reach its shell,
// and the tools against the adapter simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <tuple>

#include "core/ProgramTexts.h"
#include "core/ZConfig.h"
#include "device/AdapterLock.h"
#include "device/ZKRYDevice.h"
#include "history/UpdateHistory.h"
#include "platform/Clock.h"
#include "platform/Files.h"
#include "tests/support/KeptFirmware.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/VciSim.h"
#include "tools/DeviceRepair.h"
#include "tools/DoIPConfigTool.h"
#include "tools/DoIPNetwork.h"
#include "tools/VoltageMonitor.h"

namespace {

using testing_support::VciSim;
using tools::ModuleNetwork;

class ToolsSimTest : public testing_support::SimulatedAdapterTest {
 protected:
  // A simulator run with `arguments`, which the SDK's settings lead to.
  std::unique_ptr<VciSim> Meet(std::vector<std::string> arguments = {}) {
    auto sim = std::make_unique<VciSim>(std::move(arguments));
    EXPECT_TRUE(sim->ok()) << sim->output();
    sim->WriteKryIni(folder / "kry/KRY.ini");
    return sim;
  }
  int Count(const VciSim& sim, const std::string& part) {
    const auto lines = sim.Record();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }
  void TearDown() override { platform::SetClock(nullptr); }

  testing_support::ScriptedInteraction ui;
  device::ZKRYDevice device;
  // The module's replies are collected until a quiet spell of program time: on a loaded
  // machine a scaled spell is shorter than the reply takes, so the module's tests run in real
  // time.
  platform::ScaledClock realTime{1.0};
};

TEST_F(ToolsSimTest, DoIPConfigReadsAndChangesTheModulesLan) {
  platform::SetClock(&realTime);
  const auto sim = Meet({"--module"});
  tools::DoIPConfigTool tool(ui, device);
  std::string error;
  ASSERT_TRUE(tool.ReadAdapter(&error)) << error;
  // The adapter is left free for the program.
  EXPECT_EQ(std::make_pair(tool.adapter().module.name, device.connected()),
            std::make_pair(std::string("DOIPMOD"), false));
  ASSERT_TRUE(tool.ReadModule(&error)) << error;
  EXPECT_EQ(tool.network(), (ModuleNetwork{"static", "192.168.8.1", "255.255.255.0", ""}));

  const ModuleNetwork changed{"static", "10.1.2.3", "255.255.0.0", "10.1.0.1"};
  ASSERT_TRUE(tool.Apply(changed, &error)) << error;
  EXPECT_EQ(tool.network(), changed);
  EXPECT_TRUE(sim->Recorded("uci commit network") && sim->Recorded("network restarted"));
  const auto stored = platform::ReadFile(sim->sandbox() + "/etc/config/network").value_or("");
  EXPECT_NE(stored.find("network.lan.ipaddr=10.1.2.3\n"), std::string::npos);

  ASSERT_TRUE(tool.Apply({"dhcp", "", "", ""}, &error)) << error;
  EXPECT_EQ(tool.network().proto + " " + tool.network().ipaddr, "dhcp 10.1.2.3");

  // A refused value never reaches the module's shell.
  const int commands = Count(*sim, "exec-cmd:");
  EXPECT_FALSE(tool.Apply({"static", "10.0.0.1;reboot", "255.255.255.0", ""}, &error));
  EXPECT_EQ(error, "The IP address is not a valid IPv4 address.");
  EXPECT_EQ(Count(*sim, "exec-cmd:"), commands);
}

TEST_F(ToolsSimTest, DoIPConfigSaysWhyItCannotReachTheModule) {
  platform::SetClock(&realTime);
  const struct {
    std::vector<std::string> sim;
    bool adapterRead;
    std::string error;
  } cases[] = {{{}, false, "The adapter has no DoIP module."},
               {{"--module", "--held"}, false, core::Text(core::TextId::kDeviceInUse)},
               {{"--module", "--module-refuse"}, true, "does not answer"}};
  for (const auto& c : cases) {
    const auto sim = Meet(c.sim);
    tools::DoIPConfigTool tool(ui, device);
    std::string error;
    const bool read = tool.ReadAdapter(&error);
    EXPECT_EQ(read, c.adapterRead);
    EXPECT_FALSE(read && tool.ReadModule(&error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_FALSE(tool.Apply({"dhcp", "", "", ""}, &error));
  }
}

// A reading's text and colour are the report's; here why there is none. Readings themselves
// are the monitor's test below.
TEST_F(ToolsSimTest, VoltageReadingsOfAnAdapterHeldOrAway) {
  using Kind = tools::VoltageReading::Kind;
  const std::tuple<const char*, Kind, core::TextId> cases[] = {
      {"--held", Kind::InUse, core::TextId::kDeviceInUse},
      {"--unreachable", Kind::NotConnected, core::TextId::kNotConnected}};
  for (const auto& [fault, kind, text] : cases) {
    const auto sim = Meet({fault});
    const auto r = tools::ReadVoltage(device);
    EXPECT_EQ(std::make_tuple(r.kind, r.millivolts, r.colour, r.text, device.connected()),
              std::make_tuple(kind, 0, 0xFFFF0000u, core::Text(text), false));
  }
}

TEST_F(ToolsSimTest, VoltageMonitorPollsAndStopsPromptly) {
  const auto sim = Meet();
  std::atomic<int> readings{0};
  tools::VoltageMonitor monitor(
      device, [&](const tools::VoltageReading& r) { readings += r.millivolts == 12340; }, 10);
  monitor.Start();
  for (int i = 0; i < 500 && readings < 3; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  monitor.Stop();
  EXPECT_FALSE(monitor.running());
  EXPECT_GE(readings, 3);
  // Every read opened and closed the adapter again.
  EXPECT_EQ(Count(*sim, "open"), Count(*sim, "close"));
}

class RepairTest : public ToolsSimTest {
 protected:
  void SetUp() override {
    ToolsSimTest::SetUp();
    core::ZConfig::Instance().root = folder.path();  // the tools run in the root folder
    platform::CreateFolders(folder / "Download");
    ASSERT_TRUE(testing_support::WriteKeptFirmware(folder / "Download", false));
  }
  tools::DeviceRepair Repairer() {
    return tools::DeviceRepair({device, folder / "Download", ui,
                                [this](int value, int maximum) {
                                  if (maximum == 120 && value > highest) highest = value;
                                },
                                nullptr, folder / "kry/adapter.lock"});
  }
  void TearDown() override { core::ZConfig::Instance().root.clear(); }
  std::atomic<int> highest{0};
  device::AdapterLock held;  // another program's holding
};

// A write that fails halfway leaves the adapter ready for another try. Either run is in the
// root folder's update history, with what the tool said.
TEST_F(RepairTest, WritesTheKeptImageIntoAnAdapterInBootMode) {
  for (const bool failing : {false, true}) {
    const auto sim = Meet(failing ? std::vector<std::string>{"--boot-mode", "--fw-fail-halfway"}
                                  : std::vector<std::string>{"--boot-mode"});
    highest = 0;
    auto repairer = Repairer();
    std::string error;
    ASSERT_TRUE(repairer.Find(&error)) << error;
    const bool repaired = repairer.Repair(&error);
    // 12.34 V asks nothing; a failed write leaves an adapter that needs repair again.
    EXPECT_EQ(
        std::make_tuple(repaired, highest == 120, repairer.adapter().bootLoader, device.connected(),
                        ui.Texts("tip").empty(),
                        sim->WaitFor("firmware written: KRYVCI 2.0.0.0", failing ? 100 : 1000),
                        repairer.Find(&error)),
        std::make_tuple(!failing, !failing, failing, false, true, !failing, failing));
    const auto runs = history::UpdateHistory(folder / "History.db").List();
    ASSERT_TRUE(runs && runs->size() == (failing ? 2u : 1u));
    EXPECT_EQ(runs->front().what, history::kVciFirmware);
    EXPECT_NE(runs->front().reason.find(failing ? "stays in boot mode" : "runs firmware 2.0.0.0"),
              std::string::npos);
  }
}

TEST_F(RepairTest, RefusesWhatWouldNotRepair) {
  const std::string image = folder / "Download/KRY.bin", list = folder / "Download/fws.xml";
  const std::string otherModel = "<FWS><ITEM><PID>769</PID><VERSION>2.0.0.0</VERSION><MD5>" +
                                 std::string(32, '0') + "</MD5></ITEM></FWS>";
  const auto holdIt = [this] {
    held = device::AdapterLock::Take(folder / "kry/adapter.lock", "the device reset", 0);
  };
  const std::string notConnected = core::Text(core::TextId::kNotConnected);
  const struct {
    std::vector<std::string> sim;
    std::string error;
    std::function<void()> prepare;
  } cases[] = {
      {{}, "needs no repair", [] {}},
      {{"--unreachable"}, notConnected, [] {}},
      {{"--boot-mode"}, "does not match firmware", [&] { platform::WriteFile(list, otherModel); }},
      {{"--boot-mode", "--low-voltage"}, "Cancelled.", [this] { ui.Answer({false}); }},
      {{"--boot-mode"}, "no kept VCI image", [&] { platform::DeleteFile(image); }},
      {{"--boot-mode"}, "busy with the device reset", holdIt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    const auto sim = Meet(c.sim);
    c.prepare();
    auto repairer = Repairer();
    std::string error;
    EXPECT_FALSE(repairer.Repair(&error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(Count(*sim, "firmware write begins"), 0);
    EXPECT_FALSE(device.connected());
    platform::DeleteFile(list);
    held.Release();
  }
}

TEST(DoIPNetwork, AddressesAndNetmasks) {
  // Netmasks are addresses too; the rest are neither.
  for (const char* mask : {"255.255.254.0", "255.255.255.255"})
    EXPECT_TRUE(tools::IsIPv4Address(mask) && tools::IsNetmask(mask)) << mask;
  for (const char* address : {"0.0.0.0", "255.0.255.0"})
    EXPECT_TRUE(tools::IsIPv4Address(address) && !tools::IsNetmask(address)) << address;
  for (const char* neither :
       {"256.1.1.1", "1.2.3", "01.2.3.4", "1..3.4", "1.2.3.4;reboot", "1.2.3.1000"})
    EXPECT_FALSE(tools::IsIPv4Address(neither) || tools::IsNetmask(neither)) << neither;
}

TEST(DoIPNetwork, ChecksEverySettingBeforeItReachesTheShell) {
  // DHCP sends no address, so whatever stands in it is harmless.
  for (const ModuleNetwork& ok :
       std::vector<ModuleNetwork>{{"static", "10.0.0.2", "255.255.255.0", ""},
                                  {"static", "10.0.0.2", "255.255.255.0", "10.0.0.1"},
                                  {"dhcp", "junk'; reboot", "", ""}})
    EXPECT_EQ(tools::CheckNetwork(ok), "") << ok.ipaddr;
  for (const ModuleNetwork& refused :
       std::vector<ModuleNetwork>{{"static", "10.0.0.2'; reboot; '", "255.255.255.0", ""},
                                  {"static", "10.0.0.2", "255.0.255.0", ""},
                                  {"static", "10.0.0.2", "255.255.255.0", "gateway"},
                                  {"pppoe", "10.0.0.2", "255.255.255.0", ""}})
    EXPECT_NE(tools::CheckNetwork(refused), "") << refused.ipaddr;
}

TEST(DoIPNetwork, ReadsTheLanSectionOfUciShow) {
  const std::string output =
      "network.loopback=interface\nnetwork.loopback.ipaddr='127.0.0.1'\n"
      "network.lan=interface\r\nnetwork.lan.proto='static'\r\nnetwork.lan.ipaddr='192.168.8.1'\n"
      "network.lan.netmask='255.255.255.0'\nnetwork.lan6.ipaddr='9.9.9.9'\n";
  EXPECT_EQ(tools::ParseUciShow(output),
            (ModuleNetwork{"static", "192.168.8.1", "255.255.255.0", ""}));
  EXPECT_FALSE(tools::ParseUciShow("uci: Entry not found\n"));
  EXPECT_FALSE(tools::ParseUciShow(output, "wan"));
}

TEST(DoIPNetwork, SendsOnlyWhatChangedThenCommitsAndRestarts) {
  const ModuleNetwork now{"static", "192.168.8.1", "255.255.255.0", "192.168.8.254"};
  EXPECT_TRUE(tools::UciCommands(now, now).empty());
  EXPECT_EQ(tools::UciCommands(now, {"static", "10.0.0.2", "255.255.255.0", ""}),
            (std::vector<std::string>{"uci set network.lan.ipaddr='10.0.0.2'",
                                      "uci delete network.lan.gateway", "uci commit network",
                                      "/etc/init.d/network restart"}));
  // Switching to DHCP leaves the static options as they are.
  EXPECT_EQ(tools::UciCommands(now, {"dhcp", "", "", ""}),
            (std::vector<std::string>{"uci set network.lan.proto='dhcp'", "uci commit network",
                                      "/etc/init.d/network restart"}));
}

}  // namespace
