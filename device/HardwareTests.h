#pragma once
// The adapter's LED and beeper tests: open the adapter, make the calls, close it.
#include <cstdint>
#include <vector>

#include "core/Interaction.h"
#include "device/ZKRYDevice.h"

namespace device {

struct HardwareTestResult {
  std::int32_t openResult = 0;
  std::vector<std::int32_t> callResults;  // one per SDK call, in order
};

// KRY_DEV_SetLed with 1, 1, 1, 1. When the adapter cannot be opened, shows "Device is not
// connected" (text 3) and makes no call.
HardwareTestResult RunLedTest(ZKRYDevice& device, core::Interaction& ui);
// KRY_DEV_SetBeep with 1, 10, then with 0, 1; failure as for the LED test.
HardwareTestResult RunBeepTest(ZKRYDevice& device, core::Interaction& ui);

}  // namespace device
