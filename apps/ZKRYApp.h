#pragma once
// One application of the catalogue, joined with its installed state on this computer.
#include <string>

#include "apps/AppInfo.h"
#include "net/ArrivingDigests.h"

namespace apps {

class ZKRYApp {
 public:
  enum class State { NotInstalled, Current, UpdateAvailable };

  int ID = 0;
  int CLSID = 0;
  std::string NAME;  // 64
  int SIZE = 0;
  std::string VERSION;        // 24
  std::string DESC;           // 64
  std::string MD5;            // 64
  std::string SHA256;         // 65; when given, must match as well as the MD5
  std::string LOGO;           // 260
  std::string DOWNLOADURL;    // 260
  std::string DESCURL;        // 260
  std::string installFolder;  // the catalogue's root until ReadAppInfo(true) adds the ID
  std::string installerPath;
  AppInfo appInfo;

  // With `first`: derives the install folder (root/ID), creates it and derives the
  // installer path. Always re-reads AppInfo.ini.
  void ReadAppInfo(bool first);
  // True when the installer exists, has SIZE bytes and matches MD5.
  bool CheckInstaller() const { return CheckInstaller(installerPath); }
  // The same check of an installer elsewhere (an update's new one).
  bool CheckInstaller(const std::string& path) const;
  // The same judged by the digests computed while the installer arrived (nothing is read).
  bool CheckInstaller(const net::FileDigests& arrived) const;

  State state() const;
  // Installed, with a Target that exists.
  bool startable() const;
  std::string appInfoPath() const;
};

// "not installed", "current" or "update available".
const char* StateText(ZKRYApp::State state);

}  // namespace apps
