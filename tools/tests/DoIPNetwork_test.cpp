#include "tools/DoIPNetwork.h"

#include <gtest/gtest.h>

namespace {

using tools::ModuleNetwork;

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
