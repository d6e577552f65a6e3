#include "apps/ZKRYApp.h"

#include <sys/stat.h>

#include "net/DownloadFile.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace apps {

std::string ZKRYApp::appInfoPath() const {
  return platform::JoinPath(installFolder, "AppInfo.ini");
}

void ZKRYApp::ReadAppInfo(bool first) {
  if (first) {
    installFolder =
        platform::CutToCapacity(platform::JoinPath(installFolder, std::to_string(ID)), 260);
    platform::CreateFolder(installFolder);  // failing here shows later, when the download fails
    installerPath = platform::CutToCapacity(platform::JoinPath(installFolder, "install.exe"), 260);
  }
  appInfo = AppInfo();
  const platform::IniReader ini(appInfoPath());
  if (!ini.exists()) return;
  appInfo.Version = ini.ReadString("AppInfo", "Version", "", 32);
  appInfo.Target = ini.ReadString("AppInfo", "Target", "", 260);
  appInfo.WorkDir = ini.ReadString("AppInfo", "WorkDir", "", 260);
  appInfo.Param = ini.ReadString("AppInfo", "Param", "", 64);
  appInfo.Installed = platform::ParseDecimal(ini.ReadString("AppInfo", "Installed", "", 64)) != 0;
}

bool ZKRYApp::CheckInstaller(const std::string& path) const {
  const auto size = platform::FileSize(path);
  if (!size || *size != static_cast<std::uint64_t>(static_cast<unsigned>(SIZE)) || SIZE < 0)
    return false;
  const auto digests = net::DigestsOfFile(path, !SHA256.empty());
  return digests && CheckInstaller(*digests);
}

bool ZKRYApp::CheckInstaller(const net::FileDigests& arrived) const {
  return SIZE >= 0 && arrived.size == static_cast<std::uint64_t>(SIZE) &&
         net::DigestsMatch(arrived, MD5, SHA256);
}

ZKRYApp::State ZKRYApp::state() const {
  if (!appInfo.Installed) return State::NotInstalled;
  return VERSION == appInfo.Version ? State::Current : State::UpdateAvailable;
}

bool ZKRYApp::startable() const {
  struct stat st {};
  return appInfo.Installed && !appInfo.Target.empty() && ::stat(appInfo.Target.c_str(), &st) == 0;
}

const char* StateText(ZKRYApp::State state) {
  switch (state) {
    case ZKRYApp::State::Current:
      return "current";
    case ZKRYApp::State::UpdateAvailable:
      return "update available";
    default:
      return "not installed";
  }
}

}  // namespace apps
