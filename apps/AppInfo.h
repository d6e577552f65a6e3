#pragma once
// The installed state of one application, read from the AppInfo.ini its installer writes.
#include <string>

namespace apps {

struct AppInfo {
  std::string Version;  // 32
  std::string Target;   // 260: program to start
  std::string WorkDir;  // 260
  std::string Param;    // 64
  bool Installed = false;
};

}  // namespace apps
