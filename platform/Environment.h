#pragma once
#include <string>

namespace platform {

// Expands every %NAME% from the environment, names compared without case. Linux has no
// SystemRoot, windir or temp: when unset, %SystemRoot% and %windir% stand for the SDK's
// settings folder (${XDG_CONFIG_HOME:-$HOME/.config}/kry) and %temp% for ${TMPDIR:-/tmp}.
// An unknown name stays as written, as the Windows expansion leaves it.
std::string ExpandEnvironment(const std::string& text);

// The folder the SDK keeps KRY.ini in when nothing else is set.
std::string SdkSettingsFolder();

}  // namespace platform
