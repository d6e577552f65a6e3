// INI files as users and other programs leave them: any bytes, any encoding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/IniDocument.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  auto doc = platform::IniDocument::Parse(std::string(reinterpret_cast<const char*>(data), size));
  (void)doc.Find("COMM", "Type");
  (void)doc.Find("KRY", "LogLevel");
  doc.Set("COMM", "IPAddr", "127.0.0.23");
  doc.Set("NEW", "Key", "v");
  return 0;
}
