// sps.xml as a server might send it.
#include <cstddef>
#include <cstdint>

#include "apps/ZSPSManager.h"
#include "fuzz/FuzzXmlFile.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  apps::ZSPSManager links;
  if (!links.LoadFromFile(WriteFuzzFile(data, size))) return 0;
  for (const auto& item : links.objects()) {
    if (platform::Utf16Length(item->NAME) > 32 || platform::Utf16Length(item->URL) > 260)
      __builtin_trap();
    if (links.FindByID(item->ID) == nullptr) __builtin_trap();
  }
  while (links.size() > 0) links.RemoveByID(links.objects().front()->ID);
  return 0;
}
