#pragma once
#include <optional>
#include <string>

namespace platform {

// Expands every %NAME% from the environment, names compared without case. Linux has no
// SystemRoot, windir or temp: when unset, %SystemRoot% and %windir% stand for the SDK's
// settings folder (${XDG_CONFIG_HOME:-$HOME/.config}/kry) and %temp% for ${TMPDIR}, else the
// private ScratchFolder(). An unknown name, and %temp% when the private folder is refused,
// stays as written, as the Windows expansion leaves an unknown name.
std::string ExpandEnvironment(const std::string& text);

// The folder the SDK keeps KRY.ini in when nothing else is set.
std::string SdkSettingsFolder();

// The folder for scratch files (%temp%): an explicit temp, tmp or TMPDIR as given, else
// ${XDG_RUNTIME_DIR:-${XDG_CACHE_HOME:-$HOME/.cache}}/orbmanager, made if missing. The shared
// /tmp is never used: another account could plant a file or link under a name the program
// writes. The private folder must be a real folder of this user with mode 0700; otherwise
// there is none, and `reason` says why.
std::optional<std::string> ScratchFolder(std::string* reason = nullptr);

// A file of that name in ScratchFolder(), or none.
std::optional<std::string> ScratchFile(const std::string& name, std::string* reason = nullptr);

}  // namespace platform
