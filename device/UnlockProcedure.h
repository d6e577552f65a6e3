#pragma once
// Frees the adapter from a stale remote connection on its port 6820, after the user agrees.
#include <string>

#include "core/Interaction.h"
#include "device/AdapterConsole.h"

namespace device {

// `address` is the adapter's dotted IPv4 address from its interface block. Returns what the
// console dialogue found; kConsoleNoReply also when the user cancelled.
ConsoleResult UnlockDevice(core::Interaction& ui, const std::string& address,
                           const ConsoleOptions& options = {});

}  // namespace device
