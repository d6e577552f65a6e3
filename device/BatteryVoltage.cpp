#include "device/BatteryVoltage.h"

#include "core/Log.h"
#include "core/ProgramTexts.h"
#include "device/ZKRYDevice.h"

namespace device {
namespace {

constexpr std::int32_t kBatteryPin = 16;
constexpr char kQuestionWindow[] = "LRESETWNDTIP";

}  // namespace

std::optional<std::int32_t> ReadBatteryMillivolts(ZKRYDevice& device) {
  const auto read = device.sdk().KRY_DEV_GetPinVol;
  std::int32_t millivolts = 0;
  if (!read || read(device.handle(), kBatteryPin, &millivolts) != KRY_OK) return std::nullopt;
  return millivolts;
}

bool GoOnDespiteLowVoltage(ZKRYDevice& device, core::Interaction& ui) {
  const std::optional<std::int32_t> millivolts = ReadBatteryMillivolts(device);
  if (!millivolts) LOG_WARN("get pin16 voltage failed.");
  if (millivolts.value_or(0) >= kLowVoltageMv) return true;
  return ui.ShowTip(kQuestionWindow, core::Text(core::TextId::kLowVoltageQuestion), 1) != 2;
}

}  // namespace device
