// The tools' work against the adapter simulator.
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
#include "tests/support/ScriptedInteraction.h"
#include "tests/support/SimulatedAdapterTest.h"
#include "tests/support/VciSim.h"
#include "tools/DeviceRepair.h"
#include "tools/DoIPConfigTool.h"
#include "tools/VoltageMonitor.h"

namespace {

using testing_support::ScriptedInteraction;
using testing_support::VciSim;
using tools::ModuleNetwork;

class ToolsSimTest : public testing_support::SimulatedAdapterTest {
 protected:
  void Meet(const VciSim& sim) {
    ASSERT_TRUE(sim.ok());
    sim.WriteKryIni(folder / "kry/KRY.ini");
  }
  int Count(const VciSim& sim, const std::string& part) {
    const auto lines = sim.Record();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
      return l.find(part) != std::string::npos;
    }));
  }
  ScriptedInteraction ui;
  device::ZKRYDevice device;
};

// The module's replies are collected until a quiet spell of program time: on a loaded
// machine a scaled spell is shorter than the reply takes, so these run in real time.
class DoIPConfigTest : public ToolsSimTest {
 protected:
  void SetUp() override {
    ToolsSimTest::SetUp();
    platform::SetClock(&realTime);
  }
  void TearDown() override { platform::SetClock(nullptr); }
  platform::ScaledClock realTime{1.0};
};

TEST_F(DoIPConfigTest, ReadsAndChangesTheModulesLan) {
  VciSim sim({"--module"});
  Meet(sim);
  tools::DoIPConfigTool tool(ui, device);
  std::string error;
  ASSERT_TRUE(tool.ReadAdapter(&error)) << error;
  EXPECT_EQ(tool.adapter().module.name, "DOIPMOD");
  EXPECT_FALSE(device.connected());  // the adapter is left free for the program
  ASSERT_TRUE(tool.ReadModule(&error)) << error;
  EXPECT_EQ(tool.network(), (ModuleNetwork{"static", "192.168.8.1", "255.255.255.0", ""}));

  ASSERT_TRUE(tool.Apply({"static", "10.1.2.3", "255.255.0.0", "10.1.0.1"}, &error)) << error;
  EXPECT_EQ(tool.network(), (ModuleNetwork{"static", "10.1.2.3", "255.255.0.0", "10.1.0.1"}));
  EXPECT_TRUE(sim.Recorded("uci commit network") && sim.Recorded("network restarted"));
  EXPECT_NE(platform::ReadFile(sim.sandbox() + "/etc/config/network")
                .value_or("")
                .find("network.lan.ipaddr=10.1.2.3\n"),
            std::string::npos);

  ASSERT_TRUE(tool.Apply({"dhcp", "", "", ""}, &error)) << error;
  EXPECT_EQ(tool.network().proto + " " + tool.network().ipaddr, "dhcp 10.1.2.3");

  // A refused value never reaches the module's shell.
  const int commands = Count(sim, "exec-cmd:");
  EXPECT_FALSE(tool.Apply({"static", "10.0.0.1;reboot", "255.255.255.0", ""}, &error));
  EXPECT_EQ(error, "The IP address is not a valid IPv4 address.");
  EXPECT_EQ(Count(sim, "exec-cmd:"), commands);
}

TEST_F(DoIPConfigTest, SaysWhyItCannotReachTheModule) {
  struct Case {
    const char* name;
    std::vector<std::string> sim;
    bool adapterRead;
    std::string error;
  } cases[] = {
      {"no module", {}, false, "The adapter has no DoIP module."},
      {"held", {"--module", "--held"}, false, core::Text(core::TextId::kDeviceInUse)},
      {"module refuses", {"--module", "--module-refuse"}, true, "does not answer"},
  };
  for (const auto& c : cases) {
    VciSim sim(c.sim);
    Meet(sim);
    tools::DoIPConfigTool tool(ui, device);
    std::string error;
    const bool read = tool.ReadAdapter(&error);
    EXPECT_EQ(read, c.adapterRead) << c.name;
    EXPECT_FALSE(read && tool.ReadModule(&error)) << c.name;
    EXPECT_NE(error.find(c.error), std::string::npos) << c.name << ": " << error;
    EXPECT_FALSE(tool.Apply({"dhcp", "", "", ""}, &error)) << c.name;
  }
}

TEST_F(ToolsSimTest, VoltageReadings) {
  using Kind = tools::VoltageReading::Kind;
  const std::string inUse = core::Text(core::TextId::kDeviceInUse);
  const std::string notConnected = core::Text(core::TextId::kNotConnected);
  struct Case {
    std::vector<std::string> sim;
    Kind kind;
    int millivolts;
    std::string text;
    std::uint32_t colour;
  } cases[] = {
      {{}, Kind::Volts, 12340, " 12.34 V", 0xFF00FF00},
      {{"--low-voltage"}, Kind::Volts, 7200, "  7.20 V", 0xFFFF0000},
      {{"--held"}, Kind::InUse, 0, inUse, 0xFFFF0000},
      {{"--unreachable"}, Kind::NotConnected, 0, notConnected, 0xFFFF0000},
  };
  for (const auto& c : cases) {
    VciSim sim(c.sim);
    Meet(sim);
    const auto r = tools::ReadVoltage(device);
    EXPECT_EQ(std::tie(r.kind, r.millivolts, r.text, r.colour),
              std::tie(c.kind, c.millivolts, c.text, c.colour));
    EXPECT_FALSE(device.connected());
  }
}

TEST_F(ToolsSimTest, VoltageMonitorPollsAndStopsPromptly) {
  VciSim sim;
  Meet(sim);
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
  EXPECT_EQ(Count(sim, "open"), Count(sim, "close"));
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
    SCOPED_TRACE(failing);
    VciSim sim(failing ? std::vector<std::string>{"--boot-mode", "--fw-fail-halfway"}
                       : std::vector<std::string>{"--boot-mode"});
    Meet(sim);
    highest = 0;
    auto repairer = Repairer();
    std::string error;
    ASSERT_TRUE(repairer.Find(&error)) << error;
    EXPECT_EQ(repairer.Repair(&error), !failing) << error;
    EXPECT_EQ(highest == 120, !failing);
    EXPECT_EQ(repairer.adapter().bootLoader, failing);
    EXPECT_FALSE(device.connected());
    EXPECT_TRUE(ui.Texts("tip").empty());  // 12.34 V asks nothing
    EXPECT_EQ(sim.WaitFor("firmware written: KRYVCI 2.0.0.0", failing ? 100 : 1000), !failing);
    EXPECT_EQ(repairer.Find(&error), failing) << error;
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
    VciSim sim(c.sim);
    Meet(sim);
    c.prepare();
    auto repairer = Repairer();
    std::string error;
    EXPECT_FALSE(repairer.Repair(&error));
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_EQ(Count(sim, "firmware write begins"), 0);
    EXPECT_FALSE(device.connected());
    platform::DeleteFile(list);
    held.Release();
  }
}

}  // namespace
