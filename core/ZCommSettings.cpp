#include "core/ZCommSettings.h"

#include <cstdio>
#include <limits>

#include "core/CommKeys.h"
#include "core/Log.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace core {
namespace {

using Format = CommKey::Format;

// Every value is read through a buffer of this many characters.
constexpr std::size_t kReadCapacity = 64;

std::int32_t ToInt32(long long v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

void ReadKey(const platform::IniReader& ini, const CommKey& key, const std::string& section,
             const char* def, CommRecord& r) {
  const std::string text = ini.ReadString(section, key.name, def, kReadCapacity);
  switch (key.format) {
    case Format::Decimal:
    case Format::Rate:
      r.*key.number = ToInt32(platform::ParseDecimal(text));
      break;
    case Format::Hex: {
      const unsigned long long value = platform::ParseHex(text);
      r.*key.unsignedNumber =
          value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
      break;
    }
    case Format::Word:
      r.*key.text = platform::CutToCapacity(platform::CutAtFirstBlank(text), key.capacity);
      break;
  }
}

std::string Written(const CommKey& key, const CommRecord& r) {
  char buffer[32];
  switch (key.format) {
    case Format::Decimal:
      std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(r.*key.number));
      return buffer;
    case Format::Rate:
      std::snprintf(buffer, sizeof buffer, IsNetworkCommType(r.Type) ? "%lldM" : "%lld",
                    static_cast<long long>(r.*key.number));
      return buffer;
    case Format::Hex:
      std::snprintf(buffer, sizeof buffer, "0x%02x", r.*key.unsignedNumber);
      return buffer;
    case Format::Word:
      return r.*key.text;
  }
  return {};
}

std::string TypeSection(int type) { return "COMM" + std::to_string(type); }

}  // namespace

bool CommRecord::operator==(const CommRecord& o) const {
  return Type == o.Type && Port == o.Port && Datarate == o.Datarate && Timeout == o.Timeout &&
         Delay == o.Delay && IPAddr == o.IPAddr && LogLevel == o.LogLevel && LogFlag == o.LogFlag &&
         Unlock == o.Unlock && Name == o.Name;
}

ZCommSettings::ZCommSettings() : ZCommSettings(platform::ExpandEnvironment("%windir%/KRY.ini")) {}

ZCommSettings::ZCommSettings(const std::string& path) : path_(platform::CutToCapacity(path, 260)) {}

bool ZCommSettings::Load() {
  const platform::IniReader ini(path_);
  // Keys taken from the type's own section wait until the type is known.
  for (const CommKey& key : CommKeys())
    if (!key.fromTypeSection) ReadKey(ini, key, key.section, key.defaultValue, current_);
  for (const CommKey& key : CommKeys())
    if (key.fromTypeSection)
      ReadKey(ini, key, TypeSection(current_.Type), key.defaultValue, current_);

  for (int i = 0; i < kSectionCount; ++i) {
    const std::string section = TypeSection(SectionNumber(i));
    for (const CommKey& key : CommKeys())
      if (key.typeDefault)
        ReadKey(ini, key, section, key.typeDefault, records_[static_cast<std::size_t>(i)]);
  }
  return true;
}

bool ZCommSettings::Save(const CommRecord* record) {
  if (record) current_ = *record;
  std::vector<platform::ProfileEntry> writes;
  for (const CommKey& key : CommKeys())
    writes.push_back({key.section, key.name, Written(key, current_)});
  // The settings folder stands in for the system folder, which always exists; on a fresh
  // account it has yet to be made.
  platform::CreateFolders(platform::FolderOf(path_));
  // One rewrite for all keys: the SDK never finds half of a record.
  std::string why;
  const bool ok = platform::WriteProfileStrings(writes, path_, &why);
  if (!ok) LOG_ERROR("Failed to write communication settings to {0}: {1}.", path_, why);
  return ok;
}

bool ZCommSettings::SetCurrentAddress(const std::string* address, int port) {
  CommRecord r = current_;
  if (address) r.IPAddr = platform::CutToCapacity(*address, 64);
  if (port != 0) r.Port = port;
  if (r == current_) return true;
  return Save(&r);
}

const CommRecord* ZCommSettings::RecordOfType(int type) const {
  if (type >= 0 && type <= 8) return &records_[static_cast<std::size_t>(type)];
  if (type == 255) return &records_[9];
  return nullptr;
}

}  // namespace core
