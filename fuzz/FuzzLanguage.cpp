#include <cstddef>
#include <cstdint>

#include "core/ProgramTexts.h"
#include "core/ZGUILanguage.h"
#include "fuzz/FuzzXmlFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  core::ZGUILanguage language(1, WriteFuzzFile(data, size));
  if (language.Load()) core::MergeDefaultTexts(language);
  return 0;
}
