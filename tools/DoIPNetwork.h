#pragma once
// The DoIP module's LAN settings as its uci configuration holds them, checked before any of
// them reaches the module's shell.
#include <optional>
#include <string>
#include <vector>

namespace tools {

struct ModuleNetwork {
  std::string proto;  // "static" or "dhcp"
  std::string ipaddr, netmask, gateway;

  bool operator==(const ModuleNetwork& o) const {
    return proto == o.proto && ipaddr == o.ipaddr && netmask == o.netmask && gateway == o.gateway;
  }
};

// The `network.<section>.*` options of `uci show network`; none when the section is not
// there (an error line, or another program's output).
std::optional<ModuleNetwork> ParseUciShow(const std::string& output,
                                          const std::string& section = "lan");

// Dotted-quad IPv4 address, four decimal parts 0-255 without leading zeros.
bool IsIPv4Address(const std::string& text);
// A netmask: a valid address whose one bits are contiguous from the top, not all zero.
bool IsNetmask(const std::string& text);

// Empty when the settings may be sent; otherwise the reason, for the user.
std::string CheckNetwork(const ModuleNetwork& settings);

// The shell lines that turn `from` into `to`: one `uci set` per changed option, the commit
// and the network restart. Only for settings CheckNetwork accepted; empty when nothing changed.
std::vector<std::string> UciCommands(const ModuleNetwork& from, const ModuleNetwork& to,
                                     const std::string& section = "lan");

}  // namespace tools
