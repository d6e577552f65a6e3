#pragma once
// One run of a procedure that changes the adapter, its module, an application or the
// program itself, as the update history keeps it.
#include <cstdint>
#include <optional>
#include <string>

namespace history {

// What ran ("what" of a record).
inline constexpr char kVciFirmware[] = "vci-firmware";
inline constexpr char kDoIPSystem[] = "doip-system";
inline constexpr char kDeviceReset[] = "device-reset";
inline constexpr char kUnlock[] = "unlock";
inline constexpr char kAppInstall[] = "app-install";
inline constexpr char kAppUpdate[] = "app-update";
inline constexpr char kAppRemoval[] = "app-removal";
inline constexpr char kProgramUpdate[] = "program-update";

struct HistoryRecord {
  std::string time;    // ISO 8601 local time with its offset; filled in when written if empty
  std::string serial;  // the adapter's serial number; empty for other work
  std::optional<std::uint32_t> pid;  // the PID of the part worked on; none for other work
  std::string what;
  std::string subject;  // the application's or the firmware entry's name, where there is one
  std::string versionBefore;
  std::string versionAfter;
  bool ok = false;
  std::string reason;  // the last message the procedure showed, else its last status line
};

// The local time now as "2026-12-07T13:45:02+01:00".
std::string LocalTimeNow();

// The text the program shows for a record's "what"; the identifier itself when unknown.
std::string WhatText(const std::string& what);

}  // namespace history
