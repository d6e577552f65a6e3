#pragma once
// Texts the adapter sends are 8-bit ANSI (Windows-1252) in fixed fields, not necessarily
// terminated.
#include <cstddef>
#include <cstdint>
#include <string>

namespace device {

// ANSI bytes to UTF-8; the few 1252 positions that name no character map to U+FFFD.
std::string AnsiToUtf8(const std::string& ansi);
// A fixed field of `width` bytes, cut at its first NUL, as UTF-8.
std::string FixedText(const std::uint8_t* field, std::size_t width);

}  // namespace device
