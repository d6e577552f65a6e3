#include "tools/DoIPNetwork.h"

#include <cstdint>
#include <sstream>

namespace tools {
namespace {

std::string Unquote(std::string value) {
  if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front())
    value = value.substr(1, value.size() - 2);
  return value;
}

std::optional<std::uint32_t> AddressBits(const std::string& text) {
  std::uint32_t bits = 0;
  int parts = 0;
  std::size_t i = 0;
  while (parts < 4) {
    std::size_t j = i;
    while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
    const std::size_t len = j - i;
    if (len == 0 || len > 3 || (len > 1 && text[i] == '0')) return std::nullopt;
    const int value = std::stoi(text.substr(i, len));
    if (value > 255) return std::nullopt;
    bits = (bits << 8) | static_cast<std::uint32_t>(value);
    ++parts;
    if (parts < 4) {
      if (j >= text.size() || text[j] != '.') return std::nullopt;
      i = j + 1;
    } else if (j != text.size()) {
      return std::nullopt;
    }
  }
  return bits;
}

}  // namespace

std::optional<ModuleNetwork> ParseUciShow(const std::string& output, const std::string& section) {
  const std::string head = "network." + section;
  ModuleNetwork n;
  bool found = false;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = Unquote(line.substr(eq + 1));
    if (key == head) {
      found = true;
    } else if (key.rfind(head + ".", 0) == 0) {
      const std::string option = key.substr(head.size() + 1);
      if (option == "proto") n.proto = value;
      if (option == "ipaddr") n.ipaddr = value;
      if (option == "netmask") n.netmask = value;
      if (option == "gateway") n.gateway = value;
      found = true;
    }
  }
  if (!found) return std::nullopt;
  return n;
}

bool IsIPv4Address(const std::string& text) { return AddressBits(text).has_value(); }

bool IsNetmask(const std::string& text) {
  const auto bits = AddressBits(text);
  if (!bits || *bits == 0) return false;
  const std::uint32_t inverted = ~*bits;
  return (inverted & (inverted + 1)) == 0;  // ones only at the top
}

std::string CheckNetwork(const ModuleNetwork& s) {
  if (s.proto == "dhcp") return {};
  if (s.proto != "static") return "The address mode must be static or DHCP.";
  if (!IsIPv4Address(s.ipaddr)) return "The IP address is not a valid IPv4 address.";
  if (!IsNetmask(s.netmask)) return "The netmask is not a valid netmask.";
  if (!s.gateway.empty() && !IsIPv4Address(s.gateway))
    return "The gateway is not a valid IPv4 address.";
  return {};
}

std::vector<std::string> UciCommands(const ModuleNetwork& from, const ModuleNetwork& to,
                                     const std::string& section) {
  std::vector<std::string> lines;
  const std::string key = "network." + section + ".";
  const auto set = [&](const char* option, const std::string& old, const std::string& now) {
    if (old == now) return;
    // Checked values hold digits, dots and letters only, so they need no shell quoting
    // beyond uci's own; an empty value removes the option.
    if (now.empty())
      lines.push_back("uci delete " + key + option);
    else
      lines.push_back("uci set " + key + option + "='" + now + "'");
  };
  set("proto", from.proto, to.proto);
  if (to.proto == "static") {
    set("ipaddr", from.ipaddr, to.ipaddr);
    set("netmask", from.netmask, to.netmask);
    set("gateway", from.gateway, to.gateway);
  }
  if (lines.empty()) return lines;
  lines.emplace_back("uci commit network");
  lines.emplace_back("/etc/init.d/network restart");
  return lines;
}

}  // namespace tools
