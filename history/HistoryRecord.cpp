#include "history/HistoryRecord.h"

#include <utility>

#include "core/ProgramTexts.h"
#include "platform/Locale.h"

namespace history {

std::string LocalTimeNow() {
  // strftime's %z gives "+0100"; ISO 8601's extended form wants "+01:00".
  std::string now = platform::LocalTimeText("%Y-%m-%dT%H:%M:%S%z");
  if (now.size() > 2) now.insert(now.size() - 2, ":");
  return now;
}

std::string WhatText(const std::string& what) {
  using core::TextId;
  static const std::pair<const char*, TextId> known[] = {
      {kVciFirmware, TextId::kVciFirmwareUpdate}, {kDoIPSystem, TextId::kDoipSystemUpdate},
      {kDeviceReset, TextId::kDeviceReset},       {kUnlock, TextId::kAdapterUnlock},
      {kAppInstall, TextId::kAppInstall},         {kAppUpdate, TextId::kAppUpdate},
      {kAppRemoval, TextId::kAppRemoval},         {kProgramUpdate, TextId::kProgramUpdate}};
  for (const auto& [name, text] : known)
    if (what == name) return core::Text(text);
  return what;
}

}  // namespace history
