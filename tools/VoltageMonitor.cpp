#include "tools/VoltageMonitor.h"

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/AdapterLock.h"
#include "device/BatteryVoltage.h"
#include "device/DeviceReport.h"

namespace tools {
namespace {

constexpr std::uint32_t kRed = 0xFFFF0000;
constexpr std::int64_t kBusyWaitMs = 2000;

}  // namespace

VoltageReading ReadVoltage(device::ZKRYDevice& device, const std::string& lockFile) {
  VoltageReading r;
  r.colour = kRed;
  device::AdapterLock lock;
  if (!lockFile.empty()) {
    std::string holder;
    lock = device::AdapterLock::Take(lockFile, "the voltage reading", kBusyWaitMs, &holder);
    if (!lock) {
      r.kind = VoltageReading::Kind::InUse;
      r.text = device::AdapterBusyText(holder);
      return r;
    }
  }
  const std::int32_t opened = device.Open();
  if (opened != KRY_OK) {
    r.kind =
        opened == KRY_ERR_IN_USE ? VoltageReading::Kind::InUse : VoltageReading::Kind::NotConnected;
    r.text = core::Text(opened == KRY_ERR_IN_USE ? core::TextId::kDeviceInUse
                                                 : core::TextId::kNotConnected);
    return r;
  }
  const std::optional<std::int32_t> millivolts = device::ReadBatteryMillivolts(device);
  device.Close();
  if (!millivolts) {
    LOG_WARN("get pin16 voltage failed.");
    r.kind = VoltageReading::Kind::ReadFailed;
    r.text = "No voltage reading";
    return r;
  }
  r.kind = VoltageReading::Kind::Volts;
  r.millivolts = *millivolts;
  r.text = device::VoltageText(*millivolts);
  r.colour = device::VoltageColour(*millivolts);
  return r;
}

VoltageMonitor::VoltageMonitor(device::ZKRYDevice& device,
                               std::function<void(const VoltageReading&)> onReading, int periodMs)
    : device_(device), onReading_(std::move(onReading)), periodMs_(periodMs) {}

VoltageMonitor::~VoltageMonitor() { Stop(); }

void VoltageMonitor::Start() {
  if (thread_.joinable()) return;
  stop_ = false;
  thread_ = std::thread([this] {
    while (!stop_) {
      const VoltageReading reading = ReadVoltage(device_, lockFile_);
      if (stop_) break;
      onReading_(reading);
      wake_.Wait(periodMs_);
    }
  });
}

void VoltageMonitor::Stop() {
  stop_ = true;
  wake_.Set();
  if (thread_.joinable()) thread_.join();
  wake_.Reset();
}

}  // namespace tools
