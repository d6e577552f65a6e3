// Configuration values that may or may not be Base64.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/Base64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const std::string bytes = codec::Base64Decode(text);
  if (codec::Base64Decode(codec::Base64Encode(bytes)) != bytes) __builtin_trap();
  (void)codec::IsCanonicalBase64(text);
  return 0;
}
