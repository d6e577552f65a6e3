#include "tools/DoIPConfigTool.h"

#include <vector>

#include "core/Log.h"

namespace tools {
namespace {

// The module answers within milliseconds on its link; a command that prints nothing costs
// this much silence.
constexpr int kReplyTimeoutMs = 300;
constexpr std::size_t kOutputCapacity = 8192;

}  // namespace

DoIPConfigTool::DoIPConfigTool(core::Interaction& ui, device::ZKRYDevice& device,
                               std::string modulePort)
    : ui_(ui), device_(device), port_(std::move(modulePort)) {}

bool DoIPConfigTool::ReadAdapter(std::string* error) {
  adapter_ = tools::ReadAdapter(device_);
  *error = AdapterProblem(adapter_);
  if (!error->empty()) return false;
  if (!adapter_.hasModule) {
    *error = "The adapter has no DoIP module.";
    return false;
  }
  if (adapter_.address.empty()) {
    *error =
        "The adapter reports no network address: connect it over Wi-Fi or LAN to reach "
        "its DoIP module.";
    return false;
  }
  return true;
}

bool DoIPConfigTool::Connect(firmware::ZWSFirmwareUpdate& channel, std::string* error) {
  if (adapter_.address.empty()) {
    *error = "The adapter has not been read.";
    return false;
  }
  if (channel.Connect(adapter_.address, port_)) return true;
  LOG_WARN("Failed to connect to the module at {0}:{1}.", adapter_.address, port_);
  *error = "The DoIP module at " + adapter_.address + " does not answer.";
  return false;
}

bool DoIPConfigTool::Run(firmware::ZWSFirmwareUpdate& channel, const std::string& command,
                         std::string* output, std::string* error) {
  std::vector<char> buffer(kOutputCapacity);
  std::uint32_t length = 0;
  if (!channel.RunCommand(command, kReplyTimeoutMs, buffer.data(), buffer.size(), &length)) {
    *error = "The DoIP module did not take the command \"" + command + "\".";
    return false;
  }
  *output = std::string(buffer.data(), length);
  LOG_INFO("Module command: {0}", command);
  return true;
}

bool DoIPConfigTool::ReadModule(std::string* error) {
  networkRead_ = false;
  firmware::ZWSFirmwareUpdate channel(ui_);
  if (!Connect(channel, error)) return false;
  std::string output;
  if (!Run(channel, "uci show network", &output, error)) return false;
  const auto parsed = ParseUciShow(output);
  if (!parsed) {
    *error = "The DoIP module reports no LAN settings.";
    LOG_WARN("Unexpected module output: {0}", output);
    return false;
  }
  network_ = *parsed;
  networkRead_ = true;
  return true;
}

bool DoIPConfigTool::Apply(const ModuleNetwork& wanted, std::string* error) {
  *error = CheckNetwork(wanted);
  if (!error->empty()) return false;
  if (!networkRead_) {
    *error = "The module's settings have not been read.";
    return false;
  }
  const auto lines = UciCommands(network_, wanted);
  if (lines.empty()) return true;
  {
    firmware::ZWSFirmwareUpdate channel(ui_);
    if (!Connect(channel, error)) return false;
    for (const auto& line : lines) {
      std::string output;
      if (!Run(channel, line, &output, error)) return false;
      // uci and the init script print nothing when they succeed.
      if (!output.empty()) {
        LOG_ERROR("Module refused \"{0}\": {1}", line, output);
        *error = "The DoIP module refused \"" + line + "\": " + output;
        return false;
      }
    }
  }
  const ModuleNetwork before = network_;
  if (!ReadModule(error)) return false;
  ModuleNetwork expected = wanted;
  if (wanted.proto == "dhcp") {  // the static options stay as they were
    expected.ipaddr = network_.ipaddr;
    expected.netmask = network_.netmask;
    expected.gateway = network_.gateway;
  }
  if (!(network_ == expected)) {
    *error = "The DoIP module does not hold the new settings.";
    return false;
  }
  LOG_INFO("Module LAN: {0} -> {1} {2}", before.proto + " " + before.ipaddr, network_.proto,
           network_.ipaddr);
  return true;
}

}  // namespace tools
