#include "device/ZKRYDeviceManager.h"

namespace device {

ZKRYDevice* ZKRYDeviceManager::Add(std::unique_ptr<ZKRYDevice> device) {
  if (!device) return nullptr;
  devices_.push_back(std::move(device));
  if (!current_) current_ = devices_.back().get();
  return devices_.back().get();
}

}  // namespace device
