#include "platform/Environment.h"

#include <cstdlib>
#include <optional>

#include "platform/Text.h"

extern char** environ;

namespace platform {
namespace {

std::optional<std::string> LookUp(const std::string& name) {
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    const auto eq = entry.find('=');
    if (eq != std::string::npos && EqualsNoCase(entry.substr(0, eq), name))
      return entry.substr(eq + 1);
  }
  if (EqualsNoCase(name, "SystemRoot") || EqualsNoCase(name, "windir")) return SdkSettingsFolder();
  if (EqualsNoCase(name, "temp") || EqualsNoCase(name, "tmp")) {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp");
  }
  return std::nullopt;
}

}  // namespace

std::string SdkSettingsFolder() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg) return std::string(xdg) + "/kry";
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : "/tmp") + "/.config/kry";
}

std::string ExpandEnvironment(const std::string& text) {
  std::string out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto open = text.find('%', i);
    if (open == std::string::npos) break;
    const auto close = text.find('%', open + 1);
    if (close == std::string::npos) break;
    out += text.substr(i, open - i);
    const std::string name = text.substr(open + 1, close - open - 1);
    const auto value = name.empty() ? std::nullopt : LookUp(name);
    if (value) {
      out += *value;
      i = close + 1;
    } else {
      // Leave it as written; the closing mark may open the next name.
      out += text.substr(open, close - open);
      i = close;
    }
  }
  out += text.substr(i);
  return out;
}

}  // namespace platform
