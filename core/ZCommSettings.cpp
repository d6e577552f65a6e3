#include "core/ZCommSettings.h"

#include <cstdio>
#include <limits>

#include "core/Log.h"
#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/Ini.h"
#include "platform/Text.h"

namespace core {
namespace {

std::int32_t ToInt32(long long v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

std::int32_t ReadNumber(const platform::IniReader& ini, const std::string& section, const char* key,
                        const char* def) {
  return ToInt32(platform::ParseDecimal(ini.ReadString(section, key, def, 64)));
}

std::string ReadWord(const platform::IniReader& ini, const std::string& section, const char* key,
                     const char* def, std::size_t capacity) {
  return platform::CutToCapacity(platform::CutAtFirstBlank(ini.ReadString(section, key, def, 64)),
                                 capacity);
}

std::string Format(const char* format, long long value) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, format, value);
  return buffer;
}

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
  const unsigned long long level =
      platform::ParseHex(ini.ReadString("KRY", "LogLevel", "0xff", 64));
  current_.LogLevel = level > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(level);
  current_.LogFlag = ReadNumber(ini, "KRY", "LogFlag", "0");
  current_.Unlock = ReadNumber(ini, "KRY", "Unlock", "0");

  current_.Type = ReadNumber(ini, "COMM", "Type", "");
  current_.Port = ReadNumber(ini, "COMM", "Port", "");
  current_.Datarate = ReadNumber(ini, "COMM", "Datarate", "");
  current_.Delay = ReadNumber(ini, "COMM", "Delay", "");
  current_.IPAddr = ReadWord(ini, "COMM", "IPAddr", "", 64);
  current_.Timeout = ReadNumber(ini, "COMM", "Timeout", "3000");
  current_.Name = ReadWord(ini, "COMM" + std::to_string(current_.Type), "Name", "USB", 32);

  for (int i = 0; i < kSectionCount; ++i) {
    const std::string section = "COMM" + std::to_string(SectionNumber(i));
    CommRecord& r = records_[static_cast<std::size_t>(i)];
    r.Type = ReadNumber(ini, section, "Type", "0");
    r.Port = ReadNumber(ini, section, "Port", "0");
    r.Datarate = ReadNumber(ini, section, "Datarate", "921600");
    r.Timeout = ReadNumber(ini, section, "Timeout", "3000");
    r.Delay = ReadNumber(ini, section, "Delay", "0");
    r.IPAddr = ReadWord(ini, section, "IPAddr", "192.168.8.1", 64);
    r.Name = ReadWord(ini, section, "Name", "USB", 32);
  }
  return true;
}

bool ZCommSettings::Save(const CommRecord* record) {
  if (record) current_ = *record;
  const CommRecord& r = current_;
  char level[16];
  std::snprintf(level, sizeof level, "0x%02x", r.LogLevel);
  const bool network = r.Type >= kCommWifi && r.Type <= kCommFarlink;
  const std::vector<platform::ProfileEntry> writes = {
      {"KRY", "LogLevel", level},
      {"KRY", "LogFlag", Format("%lld", r.LogFlag)},
      {"KRY", "Unlock", Format("%lld", r.Unlock)},
      {"COMM", "Name", r.Name},
      {"COMM", "Type", Format("%lld", r.Type)},
      {"COMM", "Port", Format("%lld", r.Port)},
      {"COMM", "Datarate", Format(network ? "%lldM" : "%lld", r.Datarate)},
      {"COMM", "Timeout", Format("%lld", r.Timeout)},
      {"COMM", "Delay", Format("%lld", r.Delay)},
      {"COMM", "IPAddr", r.IPAddr},
  };
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
