// fws.xml as a server might send it, then the new-firmware rule over every PID it names.
#include <cstddef>
#include <cstdint>

#include "firmware/ZKRYFirmwareManager.h"
#include "fuzz/FuzzXmlFile.h"
#include "platform/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  firmware::ZKRYFirmwareManager catalogue;
  if (!catalogue.Load(WriteFuzzFile(data, size))) return 0;
  for (const auto& e : catalogue.entries()) {
    if (platform::Utf16Length(e.VERSION) > 24 || platform::Utf16Length(e.URL) > 260)
      __builtin_trap();
    for (const std::uint32_t pid : e.PIDs) {
      const firmware::FirmwareEntry* first = catalogue.FindEntry(pid);
      if (!first || !first->AppliesTo(pid)) __builtin_trap();
      if (!catalogue.IsLatestVersion(pid, first->VERSION)) __builtin_trap();
    }
  }
  return 0;
}
