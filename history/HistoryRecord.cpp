#include "history/HistoryRecord.h"

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
  // Texts 1180 to 1187, in this order.
  const char* const known[] = {kVciFirmware, kDoIPSystem, kDeviceReset, kUnlock,
                               kAppInstall,  kAppUpdate,  kAppRemoval,  kProgramUpdate};
  for (unsigned i = 0; i < sizeof known / sizeof known[0]; ++i)
    if (what == known[i]) return core::Text(1180 + i);
  return what;
}

}  // namespace history
