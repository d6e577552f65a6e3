#pragma once
// What every tool does first: its own log in the working folder (the program's root, where
// the device page starts it), the configuration and the device SDK.
#include <string>

#include "core/Interaction.h"

namespace tools {

// Logs to "<name>.log" and never touches Kavora.log. False with a reason for the user when
// the SDK cannot be loaded (the configuration always reads, with defaults).
bool StartTool(const std::string& name, core::Interaction& ui, std::string* error);

}  // namespace tools
