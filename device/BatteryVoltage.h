#pragma once
// The vehicle battery as the adapter sees it on OBD pin 16: the one read of it through the
// SDK, and the question asked before a firmware write on a weak battery.
#include <cstdint>
#include <optional>

#include "core/Interaction.h"

namespace device {

class ZKRYDevice;

// Below this a write may stop halfway when the battery sags.
constexpr std::int32_t kLowVoltageMv = 9000;

// Millivolts on pin 16 of an open adapter, or none when the SDK lacks the entry or the
// call fails.
std::optional<std::int32_t> ReadBatteryMillivolts(ZKRYDevice& device);

// Before a firmware write: a battery below 9 V, or one that cannot be read, asks the user
// whether to go on. True when the write may go on.
bool GoOnDespiteLowVoltage(ZKRYDevice& device, core::Interaction& ui);

}  // namespace device
