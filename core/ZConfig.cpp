#include "core/ZConfig.h"

#include <tinyxml.h>

#include <cstdio>
#include <cstdlib>

#include "codec/Base64.h"
#include "core/ConfigKeys.h"
#include "core/Log.h"
#include "core/XmlFile.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Locale.h"
#include "platform/Text.h"

namespace core {
namespace {

constexpr const char* kSection = "CONFIG";

// Cuts 8-bit text to a byte capacity including the terminator, on a character boundary.
std::string CutBytes(const std::string& text, std::size_t capacity) {
  if (text.size() < capacity) return text;
  std::size_t n = capacity - 1;
  while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
  return text.substr(0, n);
}

std::string Base64OrPlain(const std::string& stored) {
  const std::string decoded = codec::Base64Decode(stored);
  // The decoded bytes are read as text, which ends at its first NUL.
  if (codec::Base64Encode(decoded) == stored) return decoded.substr(0, decoded.find('\0'));
  return stored;
}

// The first character of an attribute value, as the one-character fields keep it.
std::string FirstCharacter(const char* value) {
  if (!value || !*value) return {};
  const std::u16string wide = platform::Utf8ToUtf16(value);
  std::size_t units = (wide[0] >= 0xD800 && wide[0] <= 0xDBFF && wide.size() > 1) ? 2 : 1;
  return platform::Utf16ToUtf8(wide.substr(0, units));
}

std::string CharacterAt(const std::u16string& serial, std::size_t index) {
  return index < serial.size() ? platform::Utf16ToUtf8(serial.substr(index, 1)) : std::string();
}

}  // namespace

ZConfig& ZConfig::Instance() {
  static ZConfig config;
  return config;
}

bool ZConfig::Load() { return LoadFrom(platform::CurrentDirectory()); }

bool ZConfig::LoadFrom(const std::string& rootFolder) {
  *this = ZConfig();
  language = 1;
  root = platform::CutToCapacity(rootFolder, 260);
  configDir = platform::CutToCapacity(platform::JoinPath(root, "Config"), 260);
  downloadDir = platform::CutToCapacity(platform::JoinPath(root, "Download"), 260);
  appsDir = platform::CutToCapacity(platform::JoinPath(root, "Apps"), 260);
  for (const auto* dir : {&configDir, &downloadDir, &appsDir}) {
    if (!platform::CreateFolder(*dir)) LOG_WARN("Failed to create folder {0}.", *dir);
  }
  configFile = ConfigFileAt(root);
  ReadKavoraConfig();
  ChooseLanguage();
  deviceListFile = platform::CutToCapacity(platform::JoinPath(configDir, "DeviceList.xml"), 260);
  ReadDeviceList();
  ReadKillList();
  ReadSdkIdentity();
  return loadError_.empty();
}

std::string ZConfig::ConfigFileAt(const std::string& rootFolder) {
  return platform::CutToCapacity(
      platform::JoinPath(platform::JoinPath(rootFolder, "Config"), "KavoraC.ini"), 260);
}

std::string ZConfig::ReadErrorAt(const std::string& rootFolder) {
  return platform::IniReader(ConfigFileAt(rootFolder)).error();
}

void ZConfig::ReadKavoraConfig() {
  const platform::IniReader ini(configFile);
  loadError_ = ini.error();
  if (!loadError_.empty()) LOG_ERROR("Cannot read {0}: {1}.", configFile, loadError_);
  using K = ConfigKey::Kind;
  for (const auto& key : ConfigKeys()) {
    switch (key.kind) {
      case K::Flag:
        this->*key.flag = ini.ReadInt(kSection, key.name, std::atoi(key.defaultValue)) != 0;
        break;
      case K::Integer:
        this->*key.number = ini.ReadInt(kSection, key.name, std::atoi(key.defaultValue));
        break;
      case K::Text:
        this->*key.text = ini.ReadString(kSection, key.name, key.defaultValue, key.capacity);
        break;
      case K::Base64OrPlain:
        this->*key.text = platform::CutToCapacity(
            Base64OrPlain(ini.ReadString(kSection, key.name, key.defaultValue, key.capacity)),
            key.capacity);
        break;
      case K::DecimalFlag:
        this->*key.flag =
            platform::ParseDecimal(ini.ReadString(kSection, key.name, key.defaultValue, 64)) != 0;
        break;
      case K::FileName:
        this->*key.text = platform::CutToCapacity(
            platform::JoinPath(root, ini.ReadString(kSection, key.name, key.defaultValue, 260)),
            key.capacity);
        break;
      case K::OemText:
        this->*key.text = CutBytes(
            ini.ReadString(kSection, key.name, key.defaultValue, key.capacity), key.capacity);
        break;
    }
  }
}

void ZConfig::ChooseLanguage() {
  if (LANGUAGE == 255) {
    char text[8];
    std::snprintf(text, sizeof text, "%04X", platform::DefaultLanguageId());
    language = platform::ParseDecimal(text) == 804 ? 0 : 1;
  } else {
    language = LANGUAGE != 0 ? 1 : 0;
  }
  languageFile = platform::CutToCapacity(
      platform::JoinPath(root, language ? "Language/EN.xml" : "Language/CS.xml"), 260);
}

std::vector<DeviceModel> ReadDeviceModels(const std::string& path) {
  std::vector<DeviceModel> models;
  TiXmlDocument doc;
  if (!LoadXmlFile(doc, path)) {
    LOG_WARN("Failed to read device list {0}.", path);
    return models;
  }
  const TiXmlElement* rootElement = doc.RootElement();
  if (!rootElement) return models;
  for (const TiXmlElement* item = rootElement->FirstChildElement("Item");
       item && models.size() < ZConfig::kMaxDeviceModels; item = item->NextSiblingElement("Item")) {
    DeviceModel m;
    const auto text = [&](const char* name, std::size_t capacity) {
      const char* v = item->Attribute(name);
      return v ? platform::CutToCapacity(v, capacity) : std::string();
    };
    m.Name = text("Name", 64);
    m.Desc = text("Desc", 128);
    m.SN1 = FirstCharacter(item->Attribute("SN1"));
    m.SN4 = FirstCharacter(item->Attribute("SN4"));
    m.SN5 = FirstCharacter(item->Attribute("SN5"));
    m.Image = text("Image", 64);
    const char* doip = item->Attribute("HaveDoIP");
    m.HaveDoIP = doip && platform::ParseDecimal(doip) != 0;
    models.push_back(std::move(m));
  }
  return models;
}

void ZConfig::ReadDeviceList() { deviceModels = ReadDeviceModels(deviceListFile); }

void ZConfig::ReadKillList() {
  const platform::IniReader ini(configFile);
  int count = ini.ReadInt("PK", "PKCount", 0);
  if (count > kMaxKillListEntries) {
    LOG_WARN("Kill list of {0} entries cut to {1}.", count, kMaxKillListEntries);
    count = kMaxKillListEntries;
  }
  for (int i = 1; i <= count; ++i)
    killList.push_back(ini.ReadString("PK", "PK_" + std::to_string(i), "", 64));
}

void ZConfig::ReadSdkIdentity() {
  const platform::IniReader ini(platform::ExpandEnvironment("%SystemRoot%/KRY.ini"));
  sdk.Name = ini.ReadString("KRY", "Name", "ZADEZO", 64);
  sdk.Version = ini.ReadString("KRY", "Version", "1.1.1", 64);
  sdk.Date = ini.ReadString("KRY", "Date", "2015-01-01", 64);
}

bool ZConfig::ReadUpdateInfo(const std::string& path) {
  const platform::IniReader ini(path);
  update.ManagerVersion = ini.ReadString("UPDATE", "ManagerVersion", "", 260);
  update.ManagerURL = ini.ReadString("UPDATE", "ManagerURL", "", 260);
  update.MD5 = ini.ReadString("UPDATE", "MD5", "", 64);
  update.SHA256 = ini.ReadString("UPDATE", "SHA256", "", 65);
  update.Size = ini.ReadInt("UPDATE", "Size", 0);
  return ini.exists();
}

std::optional<DeviceModel> ZConfig::FindDeviceModel(const std::string& serial) const {
  const std::u16string wide = platform::Utf8ToUtf16(serial);
  const std::string first = CharacterAt(wide, 0);
  const std::string fourth = CharacterAt(wide, 3);
  const std::string fifth = CharacterAt(wide, 4);
  for (const auto& m : deviceModels) {
    if (first != m.SN1) continue;
    if (m.SN4 != "#" && m.SN4 != fourth) continue;
    if (m.SN5 != "#" && m.SN5 != fifth) continue;
    return m;
  }
  return std::nullopt;
}

bool ZConfig::SaveLanguage(int value) {
  const char* text = value == 255 ? "255" : (value != 0 ? "1" : "0");
  std::string why;
  const bool written = platform::WriteProfileString(kSection, "LANGUAGE", text, configFile, &why);
  if (value == 255)
    LOG_INFO("Save language [auto].");
  else if (value != 0)
    LOG_INFO("Save language [english].");
  else
    LOG_INFO("Save language [chinese].");
  if (!written) {
    LOG_ERROR("Failed to write {0}: {1}.", configFile, why);
    return false;  // the file keeps the old value, and so does the program
  }
  LANGUAGE = value;
  return true;
}

}  // namespace core
