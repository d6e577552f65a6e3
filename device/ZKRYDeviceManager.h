#pragma once
// Holds the device objects; the program creates exactly one and works with it.
#include <memory>
#include <vector>

#include "device/ZKRYDevice.h"

namespace device {

class ZKRYDeviceManager {
 public:
  ZKRYDeviceManager() = default;
  virtual ~ZKRYDeviceManager() = default;  // deletes every device, which closes an open one
  ZKRYDeviceManager(const ZKRYDeviceManager&) = delete;
  ZKRYDeviceManager& operator=(const ZKRYDeviceManager&) = delete;

  // Appends the device; the first one becomes the current device.
  ZKRYDevice* Add(std::unique_ptr<ZKRYDevice> device);
  ZKRYDevice* current() const { return current_; }
  std::size_t count() const { return devices_.size(); }

 private:
  std::vector<std::unique_ptr<ZKRYDevice>> devices_;
  ZKRYDevice* current_ = nullptr;
};

}  // namespace device
