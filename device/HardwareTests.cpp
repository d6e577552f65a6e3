#include "device/HardwareTests.h"

#include "core/ProgramTexts.h"

namespace device {
namespace {

template <typename Calls>
HardwareTestResult Run(ZKRYDevice& device, core::Interaction& ui, Calls calls) {
  HardwareTestResult result;
  result.openResult = device.Open();
  if (result.openResult != KRY_OK) {
    ui.ShowMessage(core::Text(core::TextId::kNotConnected), "", core::MessageIcon::Error);
    return result;
  }
  calls(result.callResults);
  device.Close();
  return result;
}

}  // namespace

HardwareTestResult RunLedTest(ZKRYDevice& device, core::Interaction& ui) {
  return Run(device, ui, [&](std::vector<std::int32_t>& results) {
    const std::uint8_t leds[4] = {1, 1, 1, 1};
    results.push_back(device.sdk().KRY_DEV_SetLed(device.handle(), leds));
  });
}

HardwareTestResult RunBeepTest(ZKRYDevice& device, core::Interaction& ui) {
  return Run(device, ui, [&](std::vector<std::int32_t>& results) {
    const std::uint8_t on[2] = {1, 10};
    const std::uint8_t off[2] = {0, 1};
    results.push_back(device.sdk().KRY_DEV_SetBeep(device.handle(), on));
    results.push_back(device.sdk().KRY_DEV_SetBeep(device.handle(), off));
  });
}

}  // namespace device
