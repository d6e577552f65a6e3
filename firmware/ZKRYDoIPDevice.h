#pragma once
// The program's adapter object as the DoIP system update uses it.
#include <string>

#include "device/ZKRYDevice.h"
#include "firmware/DoIPDevice.h"
#include "platform/Text.h"

namespace firmware {

class ZKRYDoIPDevice : public DoIPDevice {
 public:
  explicit ZKRYDoIPDevice(device::ZKRYDevice& device) : device_(device) {}
  bool IsConnected() const override { return device_.connected(); }
  int Open() override { return device_.Open(); }
  void Close() override { device_.Close(); }
  bool ReadHWInfo() override { return device_._ReadHWInfo(); }
  std::string ModuleAddress() const override { return device_.address(); }
  std::string ModuleVersion() const override {
    return platform::CutAtFirstBlank(device_.module().version);
  }

 private:
  device::ZKRYDevice& device_;
};

}  // namespace firmware
