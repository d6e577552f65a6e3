#pragma once
// One SPS link of sps.xml.
#include <string>

namespace apps {

struct ZSPSItem {
  int ID = 0;
  std::string NAME;   // 32
  std::string DESC;   // 64
  std::string URL;    // 260
  bool AUTH = false;  // the link needs an account
};

}  // namespace apps
