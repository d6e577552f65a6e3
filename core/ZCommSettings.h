#pragma once
// The SDK's communication settings in %windir%/KRY.ini: the current record the SDK uses,
// and one record per connection type section (COMM0 to COMM8, COMM255).
#include <array>
#include <cstdint>
#include <string>

namespace core {

// Connection type codes, shared by KRY.ini, the SDK's interface block, the report and the
// settings page.
enum CommType : int {
  kCommFtdiUsb = 0,
  kCommSerial = 1,
  kCommBluetooth = 2,
  kCommWifi = 3,
  kCommLan = 4,
  kCommWlan = 5,
  kCommUsbLan = 6,
  kCommRemote = 7,
  kCommFarlink = 8,
  kCommAuto = 255,
};

// FTDI USB, serial and Bluetooth: the SDK reaches the adapter through a port number alone.
inline bool IsPortCommType(int type) { return type >= kCommFtdiUsb && type <= kCommBluetooth; }
// Wi-Fi up to Farlink: the SDK reaches the adapter at an IP address and port.
inline bool IsNetworkCommType(int type) { return type >= kCommWifi && type <= kCommFarlink; }

struct CommRecord {
  std::int32_t Type = 0;
  std::int32_t Port = 0;
  std::int32_t Datarate = 0;
  std::int32_t Timeout = 0;
  std::int32_t Delay = 0;
  std::string IPAddr;  // 64
  std::uint32_t LogLevel = 0;
  std::int32_t LogFlag = 0;
  std::int32_t Unlock = 0;
  std::string Name;  // 32

  bool operator==(const CommRecord& o) const;
  bool operator!=(const CommRecord& o) const { return !(*this == o); }
};

class ZCommSettings {
 public:
  static constexpr int kSectionCount = 10;
  // The section numbers in record order: 0..8, then 255.
  static int SectionNumber(int index) { return index < 9 ? index : 255; }

  ZCommSettings();
  explicit ZCommSettings(const std::string& path);

  // Reads the file; a missing file gives the defaults. Returns true.
  bool Load();
  // Replaces the current record when one is given, then writes it. Returns whether the
  // file was written.
  bool Save(const CommRecord* record = nullptr);
  // Remembers the address and port the SDK used; writes only when the record changed.
  // Returns false only when a needed write failed.
  bool SetCurrentAddress(const std::string* address, int port);

  const std::string& path() const { return path_; }
  CommRecord& current() { return current_; }
  const CommRecord& current() const { return current_; }
  const CommRecord& record(int index) const { return records_[static_cast<std::size_t>(index)]; }
  // The record of a type code, or none for codes without a section.
  const CommRecord* RecordOfType(int type) const;

 private:
  std::string path_;
  CommRecord current_;
  std::array<CommRecord, kSectionCount> records_;
};

}  // namespace core
