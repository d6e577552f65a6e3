#include "apps/AppPresentation.h"

#include <algorithm>

#include "core/ProgramTexts.h"

namespace apps {

AppButtons ButtonsFor(const ZKRYApp& app) {
  AppButtons b;
  const ZKRYApp::State state = app.state();
  if (state == ZKRYApp::State::NotInstalled) {
    b.install = true;
    return b;
  }
  b.uninstall = true;
  b.run = app.startable();
  b.update = state == ZKRYApp::State::UpdateAvailable;
  return b;
}

std::string StateWord(const ZKRYApp& app) {
  switch (app.state()) {
    case ZKRYApp::State::NotInstalled:
      return core::Text(core::TextId::kInstall);
    case ZKRYApp::State::UpdateAvailable:
      return core::Text(core::TextId::kUpdate);
    default:
      return core::Text(core::TextId::kRun);
  }
}

std::string VersionLabel(const ZKRYApp& app) {
  return core::Text(core::TextId::kVersion) + ": " + app.VERSION;
}

std::string SizeLabel(const ZKRYApp& app) {
  return core::Text(core::TextId::kSize) + ": " + std::to_string(app.SIZE) + "  Byte";
}

std::string StatusLabel(const ZKRYApp& app) {
  return core::Text(core::TextId::kPlease) + StateWord(app);
}

std::string PercentText(std::uint64_t received, int size) {
  if (size <= 0) return "0%";
  // Single precision as the window always computed it; a whole number never overflows.
  const float percent = static_cast<float>(received) / static_cast<float>(size) * 100.0f;
  return std::to_string(static_cast<long long>(percent)) + "%";
}

std::optional<std::string> SkinPicture(const std::string& folder, const std::string& name) {
  if (name.empty()) return std::nullopt;
  std::string path = name;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (path[0] == '/' || path.find(':') != std::string::npos ||
      path.find_first_of("'\"") != std::string::npos)
    return std::nullopt;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('/', start), path.size());
    if (path.compare(start, end - start, "..") == 0) return std::nullopt;
    start = end + 1;
  }
  return folder.empty() ? path : folder + "/" + path;
}

const char* BadgeFile(const ZKRYApp& app) {
  switch (app.state()) {
    case ZKRYApp::State::NotInstalled:
      return "app_uninstalled.png";
    case ZKRYApp::State::UpdateAvailable:
      return "app_update.png";
    default:
      return "app_installed.png";
  }
}

}  // namespace apps
