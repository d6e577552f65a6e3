#pragma once
// Frees the adapter from a stale remote connection on its port 6820, after the user agrees.
#include <functional>
#include <string>

#include "core/Interaction.h"
#include "device/AdapterConsole.h"

namespace device {

// `address` gives the adapter's dotted IPv4 address from its interface block. It is asked for
// only once the user agreed, so that a cancelled unlock never talks to the adapter. Returns
// what the console dialogue found; kConsoleNoReply also when the user cancelled.
ConsoleResult UnlockDevice(core::Interaction& ui, const std::function<std::string()>& address,
                           const ConsoleOptions& options = {});

}  // namespace device
