#pragma once
// OBDVoltage's work: the pin-16 (battery) voltage read through the SDK at a steady pace.
// Each read opens the adapter and closes it again, so the main program and the diagnostic
// applications are kept out for a moment only.
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

#include "device/ZKRYDevice.h"
#include "platform/Event.h"

namespace tools {

struct VoltageReading {
  enum class Kind { Volts, NotConnected, InUse, ReadFailed } kind = Kind::NotConnected;
  std::int32_t millivolts = 0;
  std::string text;      // "%6.2f V", or the reason there is no value
  std::uint32_t colour;  // ARGB: green 8,000 to 15,000 mV, red otherwise and without value
};

// One visit to the adapter. With a `lockFile` (AdapterLockPath) the visit waits up to 2 s
// for another program's procedure and is refused as InUse, with its name, after that.
VoltageReading ReadVoltage(device::ZKRYDevice& device, const std::string& lockFile = {});

class VoltageMonitor {
 public:
  static constexpr int kDefaultPeriodMs = 500;

  // `onReading` runs on the monitor's thread after every read.
  VoltageMonitor(device::ZKRYDevice& device, std::function<void(const VoltageReading&)> onReading,
                 int periodMs = kDefaultPeriodMs);
  ~VoltageMonitor();  // stops
  VoltageMonitor(const VoltageMonitor&) = delete;
  VoltageMonitor& operator=(const VoltageMonitor&) = delete;

  // The adapter's lock file, shared with the other programs; set before Start.
  void SetLockFile(std::string lockFile) { lockFile_ = std::move(lockFile); }
  void Start();
  // Ends the thread after the read in progress, without waiting out the pause.
  void Stop();
  bool running() const { return thread_.joinable(); }

 private:
  device::ZKRYDevice& device_;
  std::function<void(const VoltageReading&)> onReading_;
  int periodMs_;
  std::string lockFile_;
  std::atomic<bool> stop_{false};
  platform::Event wake_{false, false};
  std::thread thread_;
};

}  // namespace tools
