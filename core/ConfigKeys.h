#pragma once
// Every key of KavoraC.ini's CONFIG section, listed once with its kind, default and
// capacity. The loader and the JSON dump both walk this table.
#include <string>
#include <vector>

namespace core {

class ZConfig;

struct ConfigKey {
  enum class Kind {
    Flag,           // integer, true when not 0
    Integer,        // integer kept as written
    Text,           // text up to the capacity
    Base64OrPlain,  // text, used decoded when it is canonical Base64
    DecimalFlag,    // text read as a decimal integer, true when not 0
    FileName,       // file name, kept as the full path under the root
    OemText,        // text kept as 8-bit bytes (capacity in bytes)
  };
  const char* name;
  Kind kind;
  const char* defaultValue;
  std::size_t capacity;
  std::string ZConfig::*text = nullptr;
  bool ZConfig::*flag = nullptr;
  int ZConfig::*number = nullptr;
};

// In the order the loader reads them.
const std::vector<ConfigKey>& ConfigKeys();

}  // namespace core
