#pragma once
// The adapter as the DoIP system update sees it: closed and opened again after the module's
// reboot, which refreshes the module's network address.
#include <string>

namespace firmware {

class DoIPDevice {
 public:
  virtual ~DoIPDevice() = default;
  virtual bool IsConnected() const = 0;
  // The SDK's result: 0 when the adapter was opened.
  virtual int Open() = 0;
  virtual void Close() = 0;
  // Reads the adapter's identity and interface block; true on success.
  virtual bool ReadHWInfo() = 0;
  // The address text of the interface block.
  virtual std::string ModuleAddress() const = 0;
  // The module's software version of the extension block, cut at its first blank.
  virtual std::string ModuleVersion() const = 0;
};

}  // namespace firmware
