#pragma once
// One image of the firmware catalogue (fws.xml) with the product ids it applies to.
#include <cstdint>
#include <string>
#include <vector>

namespace firmware {

struct FirmwareEntry {
  int ID = 0;
  std::vector<std::uint32_t> PIDs;
  std::string NAME;     // 32
  std::string VERSION;  // 24
  int SIZE = 0;
  std::string MD5;           // 64
  std::string SHA256;        // 65; when given, must match as well as the MD5
  std::string URL;           // 260
  std::string UPDATELOGURL;  // 260; the URL when the file gives none

  bool AppliesTo(std::uint32_t pid) const;
};

}  // namespace firmware
