#include "sim/vci/FirmwareImage.h"

#include <cstdio>

#include "sdk/KRYLink.h"

namespace vcisim {
namespace {

constexpr char kVciMagic[] = "KRYVCIFW";
constexpr std::size_t kVciHeader = 32;
constexpr char kDoipMagic[] = "KRYOWRT1\n";
constexpr char kDoipEnd[] = "\nEND\n";

}  // namespace

std::uint32_t Fnv1a(const std::string& bytes) {
  std::uint32_t h = 2166136261u;
  for (unsigned char c : bytes) h = (h ^ c) * 16777619u;
  return h;
}

std::string MakeVciImage(const VciFirmware& fw, const std::string& payload) {
  std::string image(kVciMagic, 8);
  std::string name = fw.name.substr(0, 8);
  name.resize(8, '\0');
  image += name;
  for (auto b : fw.version) image.push_back(static_cast<char>(b));
  image.push_back(static_cast<char>(fw.day));
  image.push_back(static_cast<char>(fw.month));
  image.push_back(static_cast<char>(fw.year - 1970));
  image.push_back('\0');
  kry_link::PutU32(image, static_cast<std::uint32_t>(payload.size()));
  kry_link::PutU32(image, Fnv1a(payload));
  return image + payload;
}

std::optional<VciFirmware> ParseVciImage(const std::string& image) {
  if (image.size() < kVciHeader || image.compare(0, 8, kVciMagic) != 0) return std::nullopt;
  const std::string payload = image.substr(kVciHeader);
  if (kry_link::GetU32(image.data() + 24) != payload.size() ||
      kry_link::GetU32(image.data() + 28) != Fnv1a(payload))
    return std::nullopt;
  VciFirmware fw;
  fw.name = std::string(image.data() + 8, 8);
  fw.name = fw.name.substr(0, fw.name.find('\0'));
  for (int i = 0; i < 4; ++i) fw.version[i] = static_cast<std::uint8_t>(image[16 + i]);
  fw.day = static_cast<unsigned char>(image[20]);
  fw.month = static_cast<unsigned char>(image[21]);
  fw.year = 1970 + static_cast<unsigned char>(image[22]);
  return fw;
}

std::string MakeDoipImage(const std::string& releaseText, const std::string& payload) {
  std::string text = releaseText;
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return kDoipMagic + text + kDoipEnd + payload;
}

std::optional<std::string> ParseDoipImage(const std::string& image) {
  const std::size_t start = sizeof kDoipMagic - 1;
  if (image.compare(0, start, kDoipMagic) != 0) return std::nullopt;
  const auto end = image.find(kDoipEnd, start - 1);
  if (end == std::string::npos) return std::nullopt;
  return image.substr(start, end + 1 - start);
}

bool ParseVersion(const std::string& text, std::array<std::uint8_t, 4>& version) {
  unsigned a, b, c, d;
  char tail;
  if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4 || a > 255 ||
      b > 255 || c > 255 || d > 255)
    return false;
  version = {static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b),
             static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(d)};
  return true;
}

bool ParseDate(const std::string& text, int& day, int& month, int& year) {
  char tail;
  if (std::sscanf(text.c_str(), "%d-%d-%d%c", &year, &month, &day, &tail) != 3) return false;
  return year >= 1970 && year <= 1970 + 255 && month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

}  // namespace vcisim
