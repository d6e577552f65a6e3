#pragma once
// RepairDevice's work: an adapter left in its boot loader (hardware name "VCI-BOOT") gets
// the VCI image kept from the last firmware fetch (Download/KRY.bin) written again.
#include <cstdint>
#include <functional>
#include <string>

#include "core/Interaction.h"
#include "device/ZKRYDevice.h"
#include "tools/AdapterSnapshot.h"

namespace tools {

struct RepairSetup {
  device::ZKRYDevice& device;
  std::string downloadFolder;  // holds KRY.bin and, when the program was online, fws.xml
  core::Interaction& ui;       // the low-voltage question
  // Called from the repairing thread: the SDK's counter, up to its maximum of 120.
  std::function<void(int value, int maximum)> onProgress;
  std::function<void(const std::string&)> onStatus;
  // The adapter's lock file shared with the other programs (AdapterLockPath); empty: none.
  std::string lockFile;
};

class DeviceRepair {
 public:
  explicit DeviceRepair(RepairSetup setup) : setup_(std::move(setup)) {}

  // Looks for the adapter: true when it is there and in boot mode.
  bool Find(std::string* error);
  // Writes the kept image; true when the adapter runs its firmware again afterwards. A repair
  // that found its adapter in boot mode is recorded in the update history.
  bool Repair(std::string* error);

  const AdapterSnapshot& adapter() const { return adapter_; }
  // The image that Repair writes.
  std::string ImagePath() const;

 private:
  bool WriteKeptImage(std::string* error);
  std::string RepairedText() const;
  bool CheckImage(std::uint16_t pid, std::string* error) const;
  void Status(const std::string& text) const;

  RepairSetup setup_;
  AdapterSnapshot adapter_;
  bool began_ = false;  // the adapter was found in boot mode
};

}  // namespace tools
