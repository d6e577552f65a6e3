#include "device/ZKRYDevice.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/Log.h"
#include "device/AnsiText.h"
#include "device/ZKRYSdk.h"
#include "platform/Text.h"

namespace device {

ZKRYDevice::ZKRYDevice() : ZKRYDevice(ZKRYSdk::Instance().entries()) {}

ZKRYDevice::ZKRYDevice(const KRYEntries& sdk) : sdk_(sdk) {}

ZKRYDevice::~ZKRYDevice() {
  if (connected_) Close();
}

std::int32_t ZKRYDevice::Open() {
  // A second open would take a second handle, and the first would hold the adapter
  // against ourselves until the process ends.
  if (connected_) return KRY_OK;
  if (!sdk_.KRY_Open) return kNoSdk;
  const std::int32_t result = sdk_.KRY_Open(&handle_);
  if (result == KRY_OK) {
    connected_ = true;
    inUse_ = false;
  } else {
    connected_ = false;
    if (result == KRY_ERR_IN_USE) inUse_ = true;
  }
  return result;
}

std::int32_t ZKRYDevice::Close() {
  if (!connected_ || !sdk_.KRY_Close) return KRY_OK;
  const std::int32_t result = sdk_.KRY_Close(handle_);
  if (result == KRY_OK) {
    connected_ = false;
    inUse_ = false;
    ClearBlocks();
  }
  return result;
}

void ZKRYDevice::ClearBlocks() {
  info_.fill(0);
  extension_.fill(0);
}

bool ZKRYDevice::_ReadHWInfo() {
  if (!connected_) return false;
  ClearBlocks();
  LOG_INFO("KRY get device info");
  if (sdk_.KRY_DEV_GetInfo(handle_, info_.data()) != KRY_OK) return false;
  char version[32];
  std::snprintf(version, sizeof version, "%d.%d.%d.%d", info_[55], info_[54], info_[53], info_[52]);
  firmwareVersion_ = version;
  LOG_INFO("KRY get device ext info");
  sdk_.KRY_DEV_SynExInfo(handle_, extension_.data());
  sdk_.KRY_GetCommIf(handle_, &commIf_);
  // Characters 1 to 5, then the big-endian number of bytes 21-22 as five digits.
  std::snprintf(serial_.data(), serial_.size(), "%c%c%c%c%c%05d", info_[16], info_[17], info_[18],
                info_[19], info_[20], info_[21] << 8 | info_[22]);
  return true;
}

std::uint16_t ZKRYDevice::pid() const {
  return static_cast<std::uint16_t>(info_[12] | info_[13] << 8);
}

std::string ZKRYDevice::hardwareName() const { return FixedText(info_.data() + 28, 8); }

std::string ZKRYDevice::firmwareName() const { return FixedText(info_.data() + 44, 8); }

std::string ZKRYDevice::firmwareDate() const {
  char text[32];
  std::snprintf(text, sizeof text, "%d-%02d-%02d", info_[59] + 1970, info_[58], info_[57]);
  return text;
}

bool ZKRYDevice::InBootLoader() const {
  return platform::ToUpperAscii(hardwareName()) == "VCI-BOOT";
}

bool ZKRYDevice::ExtensionEmpty() const {
  return std::all_of(extension_.begin(), extension_.end(), [](std::uint8_t b) { return b == 0; });
}

ModuleInfo ZKRYDevice::module() const {
  ModuleInfo m;
  const std::uint8_t* e = extension_.data();
  m.pid = static_cast<std::uint32_t>(e[4] | e[5] << 8 | e[6] << 16) |
          static_cast<std::uint32_t>(e[7]) << 24;
  m.name = FixedText(e + 8, 8);
  m.version = FixedText(e + 16, 8);
  m.date = FixedText(e + 24, 8);
  m.ssid = FixedText(e + 32, 16);
  return m;
}

bool ZKRYDevice::HasDoIPModule() const {
  const ModuleInfo m = module();
  return !m.name.empty() && !m.version.empty() && !m.ssid.empty();
}

std::string ZKRYDevice::address() const {
  return FixedText(reinterpret_cast<const std::uint8_t*>(commIf_.address), sizeof commIf_.address);
}

}  // namespace device
