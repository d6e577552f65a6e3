#pragma once
// KRYDoIPConfig's work: the adapter's connection and module identity through the SDK, and
// the module's LAN settings read and changed over its command channel.
#include <memory>
#include <string>

#include "core/Interaction.h"
#include "firmware/ZWSFirmwareUpdate.h"
#include "tools/AdapterSnapshot.h"
#include "tools/DoIPNetwork.h"

namespace tools {

class DoIPConfigTool {
 public:
  DoIPConfigTool(core::Interaction& ui, device::ZKRYDevice& device,
                 std::string modulePort = "7890");

  // Reads the adapter; false with a reason when it cannot be read or carries no module.
  bool ReadAdapter(std::string* error);
  // Reads the module's LAN settings over its command channel (ReadAdapter first).
  bool ReadModule(std::string* error);
  // Checks `wanted`, sends the changed options, commits them, restarts the module's network
  // and reads the settings back; false with a reason when any step fails or the module
  // does not hold the new settings afterwards.
  bool Apply(const ModuleNetwork& wanted, std::string* error);

  const AdapterSnapshot& adapter() const { return adapter_; }
  const ModuleNetwork& network() const { return network_; }

 private:
  bool Run(firmware::ZWSFirmwareUpdate& channel, const std::string& command, std::string* output,
           std::string* error);
  bool Connect(firmware::ZWSFirmwareUpdate& channel, std::string* error);

  core::Interaction& ui_;
  device::ZKRYDevice& device_;
  std::string port_;
  AdapterSnapshot adapter_;
  ModuleNetwork network_;
  bool networkRead_ = false;
};

}  // namespace tools
