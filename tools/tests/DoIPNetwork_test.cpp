#include "tools/DoIPNetwork.h"

#include <gtest/gtest.h>

namespace {

using tools::ModuleNetwork;

TEST(DoIPNetwork, AddressesAndNetmasks) {
  struct Case {
    const char* text;
    bool address, netmask;
  } cases[] = {
      {"192.168.8.1", true, false},
      {"255.255.255.0", true, true},
      {"255.255.254.0", true, true},
      {"255.255.255.255", true, true},
      {"128.0.0.0", true, true},
      {"0.0.0.0", true, false},
      {"255.0.255.0", true, false},
      {"256.1.1.1", false, false},
      {"1.2.3", false, false},
      {"1.2.3.4.5", false, false},
      {"01.2.3.4", false, false},
      {"1..3.4", false, false},
      {"", false, false},
      {" 1.2.3.4", false, false},
      {"1.2.3.4;reboot", false, false},
      {"1.2.3.4'", false, false},
      {"1.2.3.1000", false, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(tools::IsIPv4Address(c.text), c.address) << c.text;
    EXPECT_EQ(tools::IsNetmask(c.text), c.netmask) << c.text;
  }
}

TEST(DoIPNetwork, ChecksEverySettingBeforeItReachesTheShell) {
  struct Case {
    ModuleNetwork settings;
    bool ok;
  } cases[] = {
      {{"static", "10.0.0.2", "255.255.255.0", ""}, true},
      {{"static", "10.0.0.2", "255.255.255.0", "10.0.0.1"}, true},
      {{"dhcp", "", "", ""}, true},
      {{"dhcp", "junk'; reboot", "", ""}, true},  // not sent: DHCP needs no address
      {{"static", "10.0.0.2'; reboot; '", "255.255.255.0", ""}, false},
      {{"static", "10.0.0.2", "255.0.255.0", ""}, false},
      {{"static", "10.0.0.2", "255.255.255.0", "gateway"}, false},
      {{"pppoe", "10.0.0.2", "255.255.255.0", ""}, false},
      {{"", "10.0.0.2", "255.255.255.0", ""}, false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(tools::CheckNetwork(c.settings).empty(), c.ok) << c.settings.ipaddr;
}

TEST(DoIPNetwork, ReadsTheLanSectionOfUciShow) {
  const std::string output =
      "network.loopback=interface\nnetwork.loopback.ipaddr='127.0.0.1'\n"
      "network.lan=interface\r\nnetwork.lan.proto='static'\r\nnetwork.lan.ipaddr='192.168.8.1'\n"
      "network.lan.netmask='255.255.255.0'\nnetwork.lan6.ipaddr='9.9.9.9'\n";
  const auto lan = tools::ParseUciShow(output);
  ASSERT_TRUE(lan);
  EXPECT_EQ(*lan, (ModuleNetwork{"static", "192.168.8.1", "255.255.255.0", ""}));
  EXPECT_FALSE(tools::ParseUciShow("uci: Entry not found\n"));
  EXPECT_FALSE(tools::ParseUciShow("/bin/ash: uci: not found\n"));
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
