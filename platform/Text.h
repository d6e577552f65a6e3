#pragma once
// Text helpers. Inside the program every text is UTF-8 in a std::string; the data model's
// fixed capacities are counted in UTF-16 code units, as the original fields were.
#include <cstddef>
#include <string>
#include <string_view>

namespace platform {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// Number of UTF-16 code units the text takes (an invalid byte counts as one unit).
std::size_t Utf16Length(std::string_view text);

// Cuts text so that it fits a field of `capacity` UTF-16 units including the terminator,
// on a character boundary: at most capacity - 1 units remain.
std::string CutToCapacity(std::string_view text, std::size_t capacity);

std::string Trim(std::string_view text);
std::string ToUpperAscii(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Cut at the first blank (space or tab), as some settings are.
std::string CutAtFirstBlank(std::string_view text);

// Decimal integer as the C library reads it: leading blanks, optional sign, digits up to
// the first other character; 0 when there are none. Saturates instead of overflowing.
long long ParseDecimal(std::string_view text);
// Hexadecimal integer with an optional "0x" prefix, same rules otherwise.
unsigned long long ParseHex(std::string_view text);

}  // namespace platform
