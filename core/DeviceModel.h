#pragma once
#include <string>

namespace core {

// One Item of DeviceList.xml. SN1, SN4 and SN5 hold one character each (UTF-8).
struct DeviceModel {
  std::string Name;  // 64
  std::string Desc;  // 128
  std::string SN1;
  std::string SN4;
  std::string SN5;
  std::string Image;  // 64
  bool HaveDoIP = false;
};

}  // namespace core
