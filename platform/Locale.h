#pragma once
#include <cstdint>
#include <string>

namespace platform {

// The user's default locale as a Windows language identifier (zh_CN gives 0x0804), from
// LC_ALL, LC_MESSAGES or LANG, the first that is set. Unknown or "C" locales give 0x0409.
std::uint16_t DefaultLanguageId();
std::uint16_t LanguageIdOf(const std::string& localeName);

// The local time now, formatted by strftime's rules ("%Y%m%d_%H%M%S").
std::string LocalTimeText(const char* format);

}  // namespace platform
