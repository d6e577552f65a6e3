#include "tools/AdapterSnapshot.h"

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/DeviceReport.h"

namespace tools {

AdapterSnapshot ReadAdapter(device::ZKRYDevice& device) {
  AdapterSnapshot s;
  s.openResult = device.Open();
  if (s.openResult != KRY_OK) {
    LOG_WARN("Failed to open the adapter: {0}.", s.openResult);
    return s;
  }
  s.read = device._ReadHWInfo();
  if (s.read) {
    s.serial = device.serialNumber();
    s.hardwareName = device.hardwareName();
    s.firmwareVersion = device.firmwareVersion();
    s.bootLoader = device.InBootLoader();
    s.pid = device.pid();
    s.interfaceType = device.commIf().type;
    s.interfacePort = device.commIf().port;
    s.address = device.address();
    std::string label = device::ConnectionLabel(s.interfaceType, s.interfacePort, s.address);
    for (auto at = label.find("\r\n"); at != std::string::npos; at = label.find("\r\n"))
      label.replace(at, 2, " ");
    s.connection = label;
    s.hasModule = device.HasDoIPModule();
    s.module = device.module();
  } else {
    LOG_ERROR("Failed to read the adapter's identity.");
  }
  device.Close();
  return s;
}

std::string AdapterProblem(const AdapterSnapshot& adapter) {
  if (adapter.openResult == KRY_ERR_IN_USE) return core::Text(core::TextId::kDeviceInUse);
  if (adapter.openResult != KRY_OK || !adapter.read) return core::Text(core::TextId::kNotConnected);
  return {};
}

}  // namespace tools
