#pragma once
// The simulated firmware images.
//
// Adapter (VCI) image: a 32-byte header, then the payload.
//   0-7   "KRYVCIFW"
//   8-15  firmware name, 8 characters (blank or NUL padded)
//   16-19 version, in reading order: 1.2.3.4 is 1, 2, 3, 4
//   20    day, 21 month, 22 year minus 1970, 23 zero
//   24-27 payload length (u32 LE)
//   28-31 FNV-1a 32-bit hash of the payload (u32 LE)
//
// DoIP module system image: the line "KRYOWRT1", then the module's new /etc/release text
// (INI: [release] openwrt, uboot, device; [checksum] openwrt) with an optional [module]
// section (version, date: the module's software version and date, 8 characters each), then
// the line "END", then any payload.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace vcisim {

struct VciFirmware {
  std::string name;                       // up to 8 characters
  std::array<std::uint8_t, 4> version{};  // reading order
  int day = 1, month = 1, year = 1970;
};

std::uint32_t Fnv1a(const std::string& bytes);
std::string MakeVciImage(const VciFirmware& firmware, const std::string& payload);
// The firmware an image carries; none when the header, the length or the hash is wrong.
std::optional<VciFirmware> ParseVciImage(const std::string& image);

std::string MakeDoipImage(const std::string& releaseText, const std::string& payload);
// The /etc/release text an image carries; none when it is not a system image.
std::optional<std::string> ParseDoipImage(const std::string& image);

// "1.2.3.4" -> {1, 2, 3, 4}; "2024-03-05" -> day, month, year. False when malformed.
bool ParseVersion(const std::string& text, std::array<std::uint8_t, 4>& version);
bool ParseDate(const std::string& text, int& day, int& month, int& year);

}  // namespace vcisim
