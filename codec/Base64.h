#pragma once
// Base64 of the program's own. Decoding stops at the end, at the first "=" or at the first
// character outside the alphabet, and ignores the rest; a short last group of n characters
// yields n - 1 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace codec {

extern const char kBase64Alphabet[];

std::string Base64Decode(std::string_view text);
std::string Base64Encode(std::string_view bytes);
// True when encoding the decoded bytes gives back exactly the same text.
bool IsCanonicalBase64(std::string_view text);

}  // namespace codec
