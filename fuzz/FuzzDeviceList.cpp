#include <cstddef>
#include <cstdint>

#include "core/ZConfig.h"
#include "fuzz/FuzzXmlFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto models = core::ReadDeviceModels(WriteFuzzFile(data, size));
  if (models.size() > core::ZConfig::kMaxDeviceModels) __builtin_trap();
  return 0;
}
