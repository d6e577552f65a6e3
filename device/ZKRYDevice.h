#pragma once
// The program's picture of the one adapter: the SDK handle, whether it is open or held by
// another program, and the identity blocks read from it. Every user opens it, works and
// closes it again; the handle is never kept open between two user actions.
#include <array>
#include <cstdint>
#include <string>

#include "device/DeviceUseGuard.h"
#include "device/KRYEntries.h"

namespace device {

// The DoIP module's identity from the extension block (texts cut at their first NUL).
struct ModuleInfo {
  std::uint32_t pid = 0;
  std::string name, version, date, ssid;
};

class ZKRYDevice {
 public:
  // Result of Open() when the SDK entries are missing.
  static constexpr std::int32_t kNoSdk = -1;

  // Works through `sdk`, by default the process-wide SDK (ZKRYSdk::Instance()).
  ZKRYDevice();
  explicit ZKRYDevice(const KRYEntries& sdk);
  virtual ~ZKRYDevice();
  ZKRYDevice(const ZKRYDevice&) = delete;
  ZKRYDevice& operator=(const ZKRYDevice&) = delete;

  // KRY_Open: KRY_OK connected; KRY_ERR_IN_USE held by another program; anything else not
  // connected.
  std::int32_t Open();
  // KRY_Close when connected; on 0 the state and the blocks are cleared.
  std::int32_t Close();
  // Reads the identity blocks and builds the serial number and firmware version text.
  bool _ReadHWInfo();

  bool connected() const { return connected_; }
  bool inUse() const { return inUse_; }
  std::int32_t handle() const { return handle_; }
  const KRYEntries& sdk() const { return sdk_; }

  // Ten characters, e.g. "K9ABC00258"; empty until read.
  std::string serialNumber() const { return std::string(serial_.data()); }
  // "%d.%d.%d.%d" of information bytes 55, 54, 53, 52.
  const std::string& firmwareVersion() const { return firmwareVersion_; }
  const std::array<std::uint8_t, KRY_INFO_SIZE>& info() const { return info_; }
  const std::array<std::uint8_t, KRY_EXINFO_SIZE>& extension() const { return extension_; }
  const KRY_COMM_IF& commIf() const { return commIf_; }

  std::uint16_t pid() const;
  std::string hardwareName() const;  // 8 characters at most
  std::string firmwareName() const;
  std::string firmwareDate() const;  // "%d-%02d-%02d"
  bool InBootLoader() const;         // hardware name "VCI-BOOT", any case
  // An all-zero extension block: the adapter has no module.
  bool ExtensionEmpty() const;
  ModuleInfo module() const;
  // The report's rule: a module is there when its name, version and SSID are all non-empty.
  bool HasDoIPModule() const;
  // The interface block's address (the module's address for network connections).
  std::string address() const;

  // Who uses the adapter now: procedures take it here before their first SDK call.
  DeviceUseGuard& useGuard() { return useGuard_; }

 private:
  void ClearBlocks();

  std::array<char, 11> serial_{};
  std::string firmwareVersion_;  // 32 characters at most
  std::array<std::uint8_t, KRY_INFO_SIZE> info_{};
  std::array<std::uint8_t, KRY_EXINFO_SIZE> extension_{};
  std::int32_t handle_ = 0;
  KRY_COMM_IF commIf_{};
  bool connected_ = false;
  bool inUse_ = false;
  const KRYEntries& sdk_;
  DeviceUseGuard useGuard_;
};

}  // namespace device
