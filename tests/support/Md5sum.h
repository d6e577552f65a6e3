#pragma once
// Digests as the module's md5sum prints them: lower-case hexadecimal.
#include <algorithm>
#include <cctype>
#include <string>

#include "codec/MD5.h"

namespace testing_support {

inline std::string LowerHex(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

inline std::string Md5sumOf(const std::string& path) {
  return LowerHex(codec::FileMD5Text(path).value_or(""));
}

}  // namespace testing_support
