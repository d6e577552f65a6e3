#pragma once
// What the DoIP system update is given, and the module's release values it reads back.
#include <optional>
#include <string>

namespace firmware {

constexpr char kModulePort[] = "7890";

struct DoIPUpdateInfo {
  std::string address;       // the module's network address (32 bytes)
  std::string port;          // "7890" (32 bytes)
  std::string imageMD5;      // the catalogue's digest of the image (64 bytes)
  std::string imagePath;     // <root>/Download/openwrt.bin (256 characters)
  std::string toolPath;      // <root>/ and the configured update tool (256 characters)
  std::string toolChecksum;  // the configured digest of the tool (64 bytes)
  // The catalogue's VERSION of the image: the module must report it after the update.
  // None only for callers that cannot know it; the result is then not compared.
  std::optional<std::string> version;

  // The record for `address` and the image, with the configured update tool and checksum.
  static DoIPUpdateInfo Make(const std::string& address, const std::string& imageMD5,
                             const std::string& imagePath);
};

// Keys openwrt, uboot, device of section release and openwrt of section checksum of the
// module's /etc/release; each at most 31 characters.
struct DoIPReleaseInfo {
  std::string openwrt;
  std::string uboot;
  std::string device;
  std::string checksum;
};

}  // namespace firmware
