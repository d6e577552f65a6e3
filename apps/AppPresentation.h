#pragma once
// How one application is presented by the application window and the applications page:
// the four buttons, the state word, the labels, the download percentage and the skin
// picture names taken from the catalogue.
#include <cstdint>
#include <optional>
#include <string>

#include "apps/ZKRYApp.h"

namespace apps {

struct AppButtons {
  bool install = false;
  bool update = false;
  bool uninstall = false;
  bool run = false;
  bool operator==(const AppButtons& o) const {
    return install == o.install && update == o.update && uninstall == o.uninstall && run == o.run;
  }
};

// Not installed: Install only. Installed: UnInstall, Run when startable, Update when the
// versions differ.
AppButtons ButtonsFor(const ZKRYApp& app);
// Text 37 (not installed), 31 (update available) or 32 (installed and current).
std::string StateWord(const ZKRYApp& app);

std::string VersionLabel(const ZKRYApp& app);  // "Version: 3.2.0"
std::string SizeLabel(const ZKRYApp& app);     // "Size: 2048  Byte"
std::string StatusLabel(const ZKRYApp& app);   // "Please" and the state word

// "%d%%" of the bytes received against SIZE, cut toward zero (more than 100 when the
// server sends more than SIZE); "0%" for a SIZE of 0 or less.
std::string PercentText(std::uint64_t received, int size);

// A picture name from a server file as a path inside `folder` of the skin ("logos/x.png");
// none when the name is empty or would climb out of the skin (a "..", an absolute path, a
// drive letter) or would break the attribute it is written into (a quote).
std::optional<std::string> SkinPicture(const std::string& folder, const std::string& name);

// The tile badge: app_installed.png, app_uninstalled.png or app_update.png.
const char* BadgeFile(const ZKRYApp& app);

}  // namespace apps
