#pragma once
// One class of applications, as the applications page lists them.
#include <string>
#include <vector>

namespace apps {

class ZKRYApp;

struct ZKRYAPPClass {
  std::vector<ZKRYApp*> applications;  // not owned; those whose CLSID is this ID, in file order
  int ID = 0;
  std::string NAME;  // 64
  std::string DESC;  // 64
  std::string LOGO;  // 64
};

}  // namespace apps
